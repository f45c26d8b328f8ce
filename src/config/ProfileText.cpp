#include "config/ProfileText.h"

#include <utility>

#include "config/ProfileSyntax.h"

namespace {

// The line break a file already uses (that of its first line), the
// platform's for a new one.
std::string_view LineBreakOf(std::string_view Text)
{
    const size_t Break = Text.find('\n');
    if (Break == std::string_view::npos)
        return NewProfileLineBreak;
    return Break > 0 && Text[Break - 1] == '\r' ? "\r\n" : "\n";
}

std::string_view OneLine(std::string_view Text)
{
    return Text.substr(0, Text.find_first_of("\r\n"));
}

}

std::optional<std::string_view> FindProfileValue(std::string_view Bytes, std::string_view Section,
                                                 std::string_view Key)
{
    std::optional<std::string_view> Found;
    ForEachLineOfProfileSection(ProfileContent(Bytes), Section,
                                [&](const TProfileLine& Line, std::string_view, size_t, size_t) {
                                    if (Line.Kind != TLineKind::Entry || !SameProfileName(Line.Name, Key))
                                        return true;
                                    if (Line.HasValue)
                                        Found = ProfileValueAsRead(Line.Value);
                                    return false;
                                });
    return Found;
}

std::optional<std::string> WithProfileValue(std::string_view Bytes, std::string_view Section, std::string_view Key,
                                            std::string_view Value)
{
    Section = OneLine(Section);
    Key = OneLine(Key);
    Value = OneLine(Value);
    const std::string_view Text = ProfileContent(Bytes);
    const size_t Offset = Bytes.size() - Text.size();
    const std::string_view Break = LineBreakOf(Text);

    size_t SectionEnd = 0;  // past the last line of the section that is not blank
    std::optional<std::pair<size_t, size_t>> KeyLine;
    std::string_view KeyName;
    bool Unchanged = false;
    const bool SectionFound = ForEachLineOfProfileSection(
        Text, Section, [&](const TProfileLine& Line, std::string_view Written, size_t Begin, size_t End) {
            if (Line.Kind == TLineKind::Entry && SameProfileName(Line.Name, Key)) {
                KeyLine = {Begin, Begin + Written.size()};
                KeyName = Line.Name;
                Unchanged = Line.HasValue && Line.Value == Value;
                return false;
            }
            if (!TrimProfileBlanks(Written).empty())
                SectionEnd = End;
            return true;
        });
    if (Unchanged)
        return std::nullopt;

    std::string Edited(Bytes);
    if (KeyLine) {
        Edited.replace(Offset + KeyLine->first, KeyLine->second - KeyLine->first,
                       std::string(KeyName) + '=' + std::string(Value));
        return Edited;
    }
    const size_t Insert = SectionFound ? Offset + SectionEnd : Bytes.size();
    std::string Added;
    if (Insert > Offset && Edited[Insert - 1] != '\n')
        Added += Break;
    if (!SectionFound)
        Added.append("[").append(Section).append("]").append(Break);
    Added.append(Key).append("=").append(Value).append(Break);
    Edited.insert(Insert, Added);
    return Edited;
}
