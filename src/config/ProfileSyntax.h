#pragma once

#include <cstddef>
#include <string_view>

// How the text of a profile file reads, line by line: section header lines
// "[name]" followed by key=value lines. Names compare without regard to the
// case of ASCII letters, and blanks around names and values do not count.

// Longest value a read gives.
inline constexpr size_t ProfileValueLimit = 2047;

bool SameProfileName(std::string_view Left, std::string_view Right);
std::string_view TrimProfileBlanks(std::string_view Text);

enum class TLineKind { Other, Section, Entry };

// One line of a profile file: a section header "[Name]", an entry "Name=Value"
// (or a bare "Name", an entry that has no value), or anything else.
struct TProfileLine {
    TLineKind Kind = TLineKind::Other;
    std::string_view Name;
    std::string_view Value;
    bool HasValue = false;
};

TProfileLine ClassifyProfileLine(std::string_view Text);

// A stored value as a read gives it: one pair of matching quotes dropped, cut
// to the value limit.
std::string_view ProfileValueAsRead(std::string_view Stored);

// The text of a file without the byte-order mark an editor may have put first.
std::string_view ProfileContent(std::string_view Bytes);

// Calls Visit(Line, Begin, End) for every line of the text, where Line leaves
// out the line break (LF or CRLF) and End lies past it, until Visit returns false.
template <typename TVisit>
void ForEachProfileLine(std::string_view Text, TVisit&& Visit)
{
    size_t Begin = 0;
    while (Begin < Text.size()) {
        const size_t Break = Text.find('\n', Begin);
        std::string_view Line = Text.substr(Begin, Break == std::string_view::npos ? Break : Break - Begin);
        const size_t End = Begin + Line.size() + (Break == std::string_view::npos ? 0 : 1);
        if (Break != std::string_view::npos && !Line.empty() && Line.back() == '\r')
            Line.remove_suffix(1);
        if (!Visit(Line, Begin, End))
            return;
        Begin = End;
    }
}

// Calls Visit(Line, Text, Begin, End) for the header and each further line of
// the first section named Section, until the next header or until Visit
// returns false (Text being the line as written, Line what it holds). Returns
// whether there is such a section.
template <typename TVisit>
bool ForEachLineOfProfileSection(std::string_view Bytes, std::string_view Section, TVisit&& Visit)
{
    bool InSection = false;
    bool Found = false;
    ForEachProfileLine(Bytes, [&](std::string_view Text, size_t Begin, size_t End) {
        const TProfileLine Line = ClassifyProfileLine(Text);
        if (Line.Kind == TLineKind::Section) {
            if (InSection)
                return false;
            InSection = SameProfileName(Line.Name, Section);
            Found = InSection;
        }
        return !InSection || Visit(Line, Text, Begin, End);
    });
    return Found;
}
