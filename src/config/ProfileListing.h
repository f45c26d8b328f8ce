#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/VCLRoutines.h"

// The names a profile file lists, as written, in file order. One listing
// holds at most 16 KiB, each name counted with one terminating byte: the
// names beyond are left out (they can still be read one by one).

// The names of the sections.
TStringList ListProfileSections(std::string_view Bytes);
// The keys of the first section named Section.
TStringList ListProfileSection(std::string_view Bytes, std::string_view Section);

// One key of a section as listed, with the value that reading that key in the
// section finds; none where such a read gives its default.
struct TProfileEntry {
    std::string Name;
    std::optional<std::string> Value;
};

// What listing a whole file gives, from one read of it: the section names, and
// for each the keys of the first section of that name with their values, just
// as ListProfileSections, ListProfileSection and reads would give them one by one.
class TProfileListing {
public:
    explicit TProfileListing(std::string_view Bytes);

    const TStringList& Sections() const { return SectionNames; }
    // The entries of the section listed at Position (of the first section of
    // that name, since reads always find the first one).
    const std::vector<TProfileEntry>& Entries(size_t Position) const { return EntryLists[EntriesOf[Position]]; }

private:
    TStringList SectionNames;
    std::vector<size_t> EntriesOf;
    std::vector<std::vector<TProfileEntry>> EntryLists;
};
