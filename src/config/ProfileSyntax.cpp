#include "config/ProfileSyntax.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char Byte)
{
    return Byte == ' ' || Byte == '\t' || Byte == '\r' || Byte == '\v' || Byte == '\f';
}

char LowerCase(char Byte)
{
    return Byte >= 'A' && Byte <= 'Z' ? static_cast<char>(Byte - 'A' + 'a') : Byte;
}

}

std::string_view TrimProfileBlanks(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

bool SameProfileName(std::string_view Left, std::string_view Right)
{
    if (Left.size() != Right.size())
        return false;
    for (size_t Index = 0; Index < Left.size(); ++Index)
        if (LowerCase(Left[Index]) != LowerCase(Right[Index]))
            return false;
    return true;
}

TProfileLine ClassifyProfileLine(std::string_view Text)
{
    TProfileLine Line;
    Text = TrimProfileBlanks(Text);
    if (Text.empty())
        return Line;
    if (Text.front() == '[') {
        const size_t Close = Text.rfind(']');
        if (Close != 0 && Close != std::string_view::npos) {
            Line.Kind = TLineKind::Section;
            Line.Name = TrimProfileBlanks(Text.substr(1, Close - 1));
            return Line;
        }
    }
    const size_t Equals = Text.find('=');
    Line.Name = TrimProfileBlanks(Text.substr(0, Equals));
    if (Line.Name.empty())
        return Line;
    Line.Kind = TLineKind::Entry;
    if (Equals != std::string_view::npos) {
        Line.Value = TrimProfileBlanks(Text.substr(Equals + 1));
        Line.HasValue = true;
    }
    return Line;
}

std::string_view ProfileValueAsRead(std::string_view Stored)
{
    if (Stored.size() >= 2 && (Stored.front() == '"' || Stored.front() == '\'') && Stored.back() == Stored.front())
        Stored = Stored.substr(1, Stored.size() - 2);
    return Stored.substr(0, ProfileValueLimit);
}

std::string_view ProfileContent(std::string_view Bytes)
{
    if (Bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        Bytes.remove_prefix(ByteOrderMark.size());
    return Bytes;
}
