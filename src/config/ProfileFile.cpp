#include "config/ProfileFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <utility>

namespace {

// Longest value a read gives, and the bytes one listing may fill (each name
// counted with one terminating byte).
constexpr size_t ValueLimit = 2047;
constexpr size_t ListingLimit = 16384;

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char Byte)
{
    return Byte == ' ' || Byte == '\t' || Byte == '\r' || Byte == '\v' || Byte == '\f';
}

std::string_view Trim(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

char LowerCase(char Byte)
{
    return Byte >= 'A' && Byte <= 'Z' ? static_cast<char>(Byte - 'A' + 'a') : Byte;
}

bool SameName(std::string_view Left, std::string_view Right)
{
    if (Left.size() != Right.size())
        return false;
    for (size_t Index = 0; Index < Left.size(); ++Index)
        if (LowerCase(Left[Index]) != LowerCase(Right[Index]))
            return false;
    return true;
}

enum class TLineKind { Other, Section, Entry };

// One line of a profile file: a section header "[Name]", an entry "Name=Value"
// (or a bare "Name", an entry that has no value), or anything else.
struct TLine {
    TLineKind Kind = TLineKind::Other;
    std::string_view Name;
    std::string_view Value;
    bool HasValue = false;
};

TLine ClassifyLine(std::string_view Text)
{
    TLine Line;
    Text = Trim(Text);
    if (Text.empty())
        return Line;
    if (Text.front() == '[') {
        const size_t Close = Text.rfind(']');
        if (Close != 0 && Close != std::string_view::npos) {
            Line.Kind = TLineKind::Section;
            Line.Name = Trim(Text.substr(1, Close - 1));
            return Line;
        }
    }
    const size_t Equals = Text.find('=');
    Line.Name = Trim(Text.substr(0, Equals));
    if (Line.Name.empty())
        return Line;
    Line.Kind = TLineKind::Entry;
    if (Equals != std::string_view::npos) {
        Line.Value = Trim(Text.substr(Equals + 1));
        Line.HasValue = true;
    }
    return Line;
}

// A stored value as a read gives it: one pair of matching quotes dropped, cut
// to the value limit.
std::string_view ValueAsRead(std::string_view Stored)
{
    if (Stored.size() >= 2 && (Stored.front() == '"' || Stored.front() == '\'') && Stored.back() == Stored.front())
        Stored = Stored.substr(1, Stored.size() - 2);
    return Stored.substr(0, ValueLimit);
}

// The text of a file without the byte-order mark an editor may have put first.
std::string_view Content(std::string_view Bytes)
{
    if (Bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        Bytes.remove_prefix(ByteOrderMark.size());
    return Bytes;
}

// Calls Visit(Line, Begin, End) for every line of the text, where Line leaves
// out the line break (LF or CRLF) and End lies past it, until Visit returns false.
template <typename TVisit>
void ForEachLine(std::string_view Text, TVisit&& Visit)
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

// Counts names into one listing and says whether the next one still fits.
class TListingBudget {
public:
    bool Take(std::string_view Name)
    {
        if (Full || Used + Name.size() + 1 > ListingLimit) {
            Full = true;
            return false;
        }
        Used += Name.size() + 1;
        return true;
    }

    // Lists Name in Names while it fits.
    bool Add(TStringList& Names, std::string_view Name)
    {
        if (!Take(Name))
            return false;
        Names.emplace_back(Name);
        return true;
    }

private:
    size_t Used = 0;
    bool Full = false;
};

// Calls Visit(Line, Text, Begin, End) for the header and each further line of
// the first section named Section, until the next header or until Visit
// returns false (Text being the line as written, Line what it holds). Returns
// whether there is such a section.
template <typename TVisit>
bool ForEachLineOfSection(std::string_view Bytes, std::string_view Section, TVisit&& Visit)
{
    bool InSection = false;
    bool Found = false;
    ForEachLine(Bytes, [&](std::string_view Text, size_t Begin, size_t End) {
        const TLine Line = ClassifyLine(Text);
        if (Line.Kind == TLineKind::Section) {
            if (InSection)
                return false;
            InSection = SameName(Line.Name, Section);
            Found = InSection;
        }
        return !InSection || Visit(Line, Text, Begin, End);
    });
    return Found;
}

// The stored value of the first entry named Key in the first section named
// Section; none when there is no such entry or it has no value.
std::optional<std::string_view> FindValue(std::string_view Bytes, std::string_view Section, std::string_view Key)
{
    std::optional<std::string_view> Found;
    ForEachLineOfSection(Content(Bytes), Section, [&](const TLine& Line, std::string_view, size_t, size_t) {
        if (Line.Kind != TLineKind::Entry || !SameName(Line.Name, Key))
            return true;
        if (Line.HasValue)
            Found = Line.Value;
        return false;
    });
    return Found;
}

// The line break a file already uses (that of its first line), LF for a new one.
std::string_view LineBreakOf(std::string_view Text)
{
    const size_t Break = Text.find('\n');
    return Break != std::string_view::npos && Break > 0 && Text[Break - 1] == '\r' ? "\r\n" : "\n";
}

// The file's bytes with Key set to Value in Section; none when the file
// already holds exactly that.
std::optional<std::string> WithValue(const std::string& Bytes, std::string_view Section, std::string_view Key,
                                     std::string_view Value)
{
    const std::string_view Text = Content(Bytes);
    const size_t Offset = Bytes.size() - Text.size();
    const std::string_view Break = LineBreakOf(Text);

    size_t SectionEnd = 0;  // past the last line of the section that is not blank
    std::optional<std::pair<size_t, size_t>> KeyLine;
    std::string_view KeyName;
    bool Unchanged = false;
    const bool SectionFound = ForEachLineOfSection(
        Text, Section, [&](const TLine& Line, std::string_view Written, size_t Begin, size_t End) {
            if (Line.Kind == TLineKind::Entry && SameName(Line.Name, Key)) {
                KeyLine = {Begin, Begin + Written.size()};
                KeyName = Line.Name;
                Unchanged = Line.HasValue && Line.Value == Value;
                return false;
            }
            if (!Trim(Written).empty())
                SectionEnd = End;
            return true;
        });
    if (Unchanged)
        return std::nullopt;

    std::string Edited = Bytes;
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

// The file system's part in a write: a write of one copy of the program waits
// for another's, and puts the new content in place all at once.

bool WriteWhole(int Handle, std::string_view Bytes)
{
    while (!Bytes.empty()) {
        const ssize_t Count = write(Handle, Bytes.data(), Bytes.size());
        if (Count < 0 && errno == EINTR)
            continue;
        if (Count <= 0)
            return false;
        Bytes.remove_prefix(static_cast<size_t>(Count));
    }
    return true;
}

// The file a write replaces: the target of a symbolic link, so that the link
// itself survives, or the name itself.
std::string WriteTarget(const std::string& FileName)
{
    struct stat Status;
    if (lstat(FileName.c_str(), &Status) == 0 && S_ISLNK(Status.st_mode)) {
        if (char* Resolved = realpath(FileName.c_str(), nullptr)) {
            std::string Target(Resolved);
            std::free(Resolved);
            return Target;
        }
    }
    return FileName;
}

// The folder of a file, with its trailing separator ("./" for a bare name),
// and the file's name in it.
std::string FolderOf(const std::string& FileName)
{
    const size_t Separator = FileName.rfind('/');
    return Separator == std::string::npos ? "./" : FileName.substr(0, Separator + 1);
}

std::string NameInFolder(const std::string& FileName)
{
    return FileName.substr(FileName.rfind('/') + 1);
}

// The exclusive lock of a folder, held while the value lives: writes of
// other programs to files in that folder wait until it goes, so that each of
// them reads the file after the last change. Where the folder cannot be
// locked (a network folder may refuse), writes go on without waiting.
class TFolderLock {
public:
    explicit TFolderLock(const std::string& Folder)
        : Handle(open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (Handle >= 0)
            while (flock(Handle, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~TFolderLock()
    {
        if (Handle >= 0)
            close(Handle);
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Makes a rename in the folder reach the disk.
    void Flush() const
    {
        if (Handle >= 0)
            fsync(Handle);
    }

private:
    int Handle;
};

// A temporary file is the target's name, a dot, sixteen hexadecimal digits
// and ".tmp": unique to one write, and recognisable when it is left over.
constexpr size_t TemporaryDigits = 16;
constexpr std::string_view TemporaryEnd = ".tmp";

bool IsTemporaryOf(std::string_view Name, std::string_view Target)
{
    if (Name.size() != Target.size() + 1 + TemporaryDigits + TemporaryEnd.size() || !Name.starts_with(Target) ||
        Name[Target.size()] != '.' || !Name.ends_with(TemporaryEnd))
        return false;
    const std::string_view Digits = Name.substr(Target.size() + 1, TemporaryDigits);
    return std::all_of(Digits.begin(), Digits.end(),
                       [](char Byte) { return std::isxdigit(static_cast<unsigned char>(Byte)) != 0; });
}

// Creates a new temporary file beside Target, under a name no other file has;
// its handle, or -1.
int CreateTemporary(const std::string& Target, std::string& Temporary)
{
    std::random_device Random;
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        char Digits[TemporaryDigits + 1];
        std::snprintf(Digits, sizeof Digits, "%08x%08x", Random(), Random());
        Temporary = Target + '.' + Digits + std::string(TemporaryEnd);
        const int Handle = open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (Handle >= 0 || errno != EEXIST)
            return Handle;
    }
    return -1;
}

// Puts Bytes in place of the file's content all at once: a temporary file of
// this write's own in the same folder, flushed to disk, then renamed over the
// old file, so that a crash, a full disk or another copy of the program never
// leaves a cut settings file behind, and a reader sees the old file or the new.
bool ReplaceFile(const std::string& Target, std::string_view Bytes, const TFolderLock& Folder)
{
    // A file its owner made read-only stays as it is.
    if (access(Target.c_str(), F_OK) == 0 && access(Target.c_str(), W_OK) != 0)
        return false;
    std::string Temporary;
    const int Handle = CreateTemporary(Target, Temporary);
    if (Handle < 0)
        return false;
    struct stat Old;
    bool Written = WriteWhole(Handle, Bytes);
    if (Written && stat(Target.c_str(), &Old) == 0)
        Written = fchmod(Handle, Old.st_mode & 07777) == 0;
    Written = Written && fsync(Handle) == 0;
    Written = close(Handle) == 0 && Written;
    if (!Written || rename(Temporary.c_str(), Target.c_str()) != 0) {
        unlink(Temporary.c_str());
        return false;
    }
    Folder.Flush();
    return true;
}

// A profile line holds no line break: a text is written up to its first one.
std::string_view OneLine(std::string_view Text)
{
    return Text.substr(0, Text.find_first_of("\r\n"));
}

bool HexDigit(char Byte, uint32_t& Digit)
{
    if (Byte >= '0' && Byte <= '9')
        Digit = static_cast<uint32_t>(Byte - '0');
    else if (LowerCase(Byte) >= 'a' && LowerCase(Byte) <= 'f')
        Digit = static_cast<uint32_t>(LowerCase(Byte) - 'a' + 10);
    else
        return false;
    return true;
}

// Hexadecimal digits as a 32-bit pattern (so FFFFFFFF is -1).
bool TryHexadecimal(std::string_view Digits, uint32_t& Pattern)
{
    if (Digits.empty())
        return false;
    uint64_t Value = 0;
    for (char Byte : Digits) {
        uint32_t Digit;
        if (!HexDigit(Byte, Digit))
            return false;
        Value = Value * 16 + Digit;
        if (Value > UINT32_MAX)
            return false;
    }
    Pattern = static_cast<uint32_t>(Value);
    return true;
}

}

TProfileListing::TProfileListing(std::string_view Bytes)
{
    TListingBudget SectionBudget;
    TListingBudget KeyBudget;
    // The entry list that the lines at hand fill, or none inside a section
    // whose name came before (reads only ever find the first one).
    std::vector<TProfileEntry>* Filling = nullptr;
    ForEachLine(Content(Bytes), [&](std::string_view Text, size_t, size_t) {
        const TLine Line = ClassifyLine(Text);
        if (Line.Kind == TLineKind::Section) {
            if (!SectionBudget.Add(SectionNames, Line.Name))
                return false;
            Filling = nullptr;
            size_t First = 0;
            while (First + 1 < SectionNames.size() && !SameName(SectionNames[First], Line.Name))
                ++First;
            if (First + 1 == SectionNames.size()) {
                EntriesOf.push_back(EntryLists.size());
                Filling = &EntryLists.emplace_back();
                KeyBudget = TListingBudget();
            } else {
                EntriesOf.push_back(EntriesOf[First]);
            }
        } else if (Filling != nullptr && Line.Kind == TLineKind::Entry && KeyBudget.Take(Line.Name)) {
            std::optional<std::string> Value;
            if (Line.HasValue)
                Value.emplace(ValueAsRead(Line.Value));
            for (const TProfileEntry& Earlier : *Filling)
                if (SameName(Earlier.Name, Line.Name)) {
                    Value = Earlier.Value;
                    break;
                }
            Filling->push_back({std::string(Line.Name), std::move(Value)});
        }
        return true;
    });
}

// A settings file fits the buffer on the stack, so that a read costs one
// open, one read and one close, and no allocation.
TFileBytes::TFileBytes(const std::string& FileName, size_t SizeLimit)
    : Limit(SizeLimit)
{
    const int Handle = open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (Handle < 0) {
        Result = errno == ENOENT ? TLoadResult::Missing : TLoadResult::Failed;
        return;
    }
    const ssize_t Count = ReadSome(Handle, Small, sizeof Small);
    if (Count >= 0 && static_cast<size_t>(Count) < sizeof Small) {
        // A read that stops short of the buffer has met the end of the file.
        Bytes = std::string_view(Small, static_cast<size_t>(Count));
        Result = TLoadResult::Loaded;
    } else if (Count > 0) {
        Result = ReadLarge(Handle);
    }
    close(Handle);
}

ssize_t TFileBytes::ReadSome(int Handle, char* Buffer, size_t Size)
{
    ssize_t Count;
    do
        Count = read(Handle, Buffer, Size);
    while (Count < 0 && errno == EINTR);
    return Count;
}

TLoadResult TFileBytes::ReadLarge(int Handle)
{
    struct stat Status;
    if (fstat(Handle, &Status) != 0 || !S_ISREG(Status.st_mode) ||
        static_cast<uint64_t>(Status.st_size) > Limit)
        return TLoadResult::Failed;
    Large.assign(Small, sizeof Small);
    size_t Filled = Large.size();
    Large.resize(std::max(Filled, static_cast<size_t>(Status.st_size)) + 1);
    for (;;) {
        if (Filled == Large.size()) {
            if (Filled > Limit)
                return TLoadResult::Failed;
            Large.resize(2 * Large.size());
        }
        const ssize_t Count = ReadSome(Handle, Large.data() + Filled, Large.size() - Filled);
        if (Count < 0)
            return TLoadResult::Failed;
        if (Count == 0)
            break;
        Filled += static_cast<size_t>(Count);
    }
    Large.resize(Filled);
    Bytes = Large;
    return TLoadResult::Loaded;
}

TProfileSnapshot::TProfileSnapshot(const std::string& FileName, size_t SizeLimit) : Bytes(FileName, SizeLimit) {}

std::string TProfileSnapshot::ReadString(std::string_view Section, std::string_view Key,
                                         const std::string& Default) const
{
    const std::optional<std::string_view> Found = FindValue(Bytes.View(), Section, Key);
    return Found ? std::string(ValueAsRead(*Found)) : Default;
}

int32_t TProfileSnapshot::ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const
{
    const std::optional<std::string_view> Found = FindValue(Bytes.View(), Section, Key);
    int32_t Value = Default;
    return Found && TryProfileInteger(ValueAsRead(*Found), Value) ? Value : Default;
}

bool TProfileSnapshot::ReadBool(std::string_view Section, std::string_view Key, bool Default) const
{
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

ProfileFile::ProfileFile(std::string FileName, size_t SizeLimit) : Name(std::move(FileName)), Limit(SizeLimit) {}

std::string ProfileFile::ReadString(const std::string& Section, const std::string& Key,
                                    const std::string& Default) const
{
    return Snapshot().ReadString(Section, Key, Default);
}

int32_t ProfileFile::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const
{
    return Snapshot().ReadInteger(Section, Key, Default);
}

bool ProfileFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const
{
    return Snapshot().ReadBool(Section, Key, Default);
}

void ProfileFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    const std::string Target = WriteTarget(Name);
    const TFolderLock Lock(FolderOf(Target));
    // Only a regular file (or none yet) is rewritten; one that cannot be read
    // is left alone rather than replaced by a file that lost its content.
    struct stat Status;
    const TFileBytes Bytes(Target, Limit);
    if (Bytes.Loaded() == TLoadResult::Failed || (stat(Target.c_str(), &Status) == 0 && !S_ISREG(Status.st_mode)))
        throw EProfileWriteError("Unable to write to " + Name);
    const std::optional<std::string> Edited =
        WithValue(std::string(Bytes.View()), OneLine(Section), OneLine(Key), OneLine(Value));
    if (Edited && !ReplaceFile(Target, *Edited, Lock))
        throw EProfileWriteError("Unable to write to " + Name);
}

void ProfileFile::WriteInteger(const std::string& Section, const std::string& Key, int32_t Value)
{
    WriteString(Section, Key, std::to_string(Value));
}

void ProfileFile::WriteBool(const std::string& Section, const std::string& Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}

TStringList ProfileFile::ReadSections() const
{
    const TFileBytes Bytes(Name, Limit);
    TStringList Names;
    TListingBudget Budget;
    ForEachLine(Content(Bytes.View()), [&](std::string_view Text, size_t, size_t) {
        const TLine Line = ClassifyLine(Text);
        return Line.Kind != TLineKind::Section || Budget.Add(Names, Line.Name);
    });
    return Names;
}

TStringList ProfileFile::ReadSection(const std::string& Section) const
{
    const TFileBytes Bytes(Name, Limit);
    TStringList Names;
    TListingBudget Budget;
    ForEachLineOfSection(Content(Bytes.View()), Section, [&](const TLine& Line, std::string_view, size_t, size_t) {
        return Line.Kind != TLineKind::Entry || Budget.Add(Names, Line.Name);
    });
    return Names;
}

TProfileListing ProfileFile::ReadListing() const
{
    const TFileBytes Bytes(Name, Limit);
    return TProfileListing(Bytes.View());
}

void ProfileFile::UpdateFile()
{
    // Every write is on disk before it returns: nothing is ever held back.
}

void ProfileFile::RemoveStaleTemporaries() const
{
    namespace fs = std::filesystem;
    const std::string Target = WriteTarget(Name);
    const std::string Folder = FolderOf(Target);
    const std::string TargetName = NameInFolder(Target);
    // A write in progress holds the lock, and no write takes a minute.
    const TFolderLock Lock(Folder);
    const fs::file_time_type Stale = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code Error;
    for (fs::directory_iterator Entry(Folder, Error), End; !Error && Entry != End; Entry.increment(Error)) {
        std::error_code Ignored;
        if (IsTemporaryOf(Entry->path().filename().string(), TargetName) && Entry->is_regular_file(Ignored) &&
            Entry->last_write_time(Ignored) < Stale)
            fs::remove(Entry->path(), Ignored);
    }
}

bool FileExists(const std::string& FileName)
{
    struct stat Status;
    return stat(FileName.c_str(), &Status) == 0 && S_ISREG(Status.st_mode);
}

bool TryProfileInteger(std::string_view Text, int32_t& Value)
{
    uint32_t Pattern = 0;
    if (Text.size() > 2 && Text[0] == '0' && LowerCase(Text[1]) == 'x') {
        if (!TryHexadecimal(Text.substr(2), Pattern))
            return false;
        Value = static_cast<int32_t>(Pattern);
        return true;
    }
    const bool Negative = !Text.empty() && Text.front() == '-';
    if (!Text.empty() && (Text.front() == '-' || Text.front() == '+'))
        Text.remove_prefix(1);
    if (!Text.empty() && Text.front() == '$') {
        if (!TryHexadecimal(Text.substr(1), Pattern))
            return false;
    } else {
        if (Text.empty())
            return false;
        uint64_t Magnitude = 0;
        for (char Byte : Text) {
            if (Byte < '0' || Byte > '9')
                return false;
            Magnitude = Magnitude * 10 + static_cast<uint64_t>(Byte - '0');
            if (Magnitude > uint64_t{INT32_MAX} + (Negative ? 1 : 0))
                return false;
        }
        Pattern = static_cast<uint32_t>(Magnitude);
    }
    Value = static_cast<int32_t>(Negative ? 0u - Pattern : Pattern);
    return true;
}
