#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading one value from the bytes of a profile file, and the bytes of the
// file with one value changed; how lines read is ProfileSyntax's.

// The line break of a file that a write creates (or of a first line added to
// a file that has none): Windows' CR LF on Windows, LF elsewhere.
extern const std::string_view NewProfileLineBreak;

// The value of the first entry named Key in the first section named Section,
// as a read gives it; none where the read gives its default: no such entry,
// or one without a value.
std::optional<std::string_view> FindProfileValue(std::string_view Bytes, std::string_view Section,
                                                 std::string_view Key);

// The file's bytes with Key set to Value in Section; none when the file
// already holds exactly that. A profile line holds no line break: each text
// is written up to its first one. Every other byte stays as it is: the
// byte-order mark, the line breaks the file uses, comments and other entries.
std::optional<std::string> WithProfileValue(std::string_view Bytes, std::string_view Section, std::string_view Key,
                                            std::string_view Value);
