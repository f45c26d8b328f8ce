#include "config/ProfileListing.h"

#include <utility>

#include "config/ProfileSyntax.h"

namespace {

// The bytes one listing may fill.
constexpr size_t ListingLimit = 16384;

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

}

TStringList ListProfileSections(std::string_view Bytes)
{
    TStringList Names;
    TListingBudget Budget;
    ForEachProfileLine(ProfileContent(Bytes), [&](std::string_view Text, size_t, size_t) {
        const TProfileLine Line = ClassifyProfileLine(Text);
        return Line.Kind != TLineKind::Section || Budget.Add(Names, Line.Name);
    });
    return Names;
}

TStringList ListProfileSection(std::string_view Bytes, std::string_view Section)
{
    TStringList Names;
    TListingBudget Budget;
    ForEachLineOfProfileSection(ProfileContent(Bytes), Section,
                                [&](const TProfileLine& Line, std::string_view, size_t, size_t) {
                                    return Line.Kind != TLineKind::Entry || Budget.Add(Names, Line.Name);
                                });
    return Names;
}

TProfileListing::TProfileListing(std::string_view Bytes)
{
    TListingBudget SectionBudget;
    TListingBudget KeyBudget;
    // The entry list that the lines at hand fill, or none inside a section
    // whose name came before (reads only ever find the first one).
    std::vector<TProfileEntry>* Filling = nullptr;
    ForEachProfileLine(ProfileContent(Bytes), [&](std::string_view Text, size_t, size_t) {
        const TProfileLine Line = ClassifyProfileLine(Text);
        if (Line.Kind == TLineKind::Section) {
            if (!SectionBudget.Add(SectionNames, Line.Name))
                return false;
            Filling = nullptr;
            size_t First = 0;
            while (First + 1 < SectionNames.size() && !SameProfileName(SectionNames[First], Line.Name))
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
                Value.emplace(ProfileValueAsRead(Line.Value));
            for (const TProfileEntry& Earlier : *Filling)
                if (SameProfileName(Earlier.Name, Line.Name)) {
                    Value = Earlier.Value;
                    break;
                }
            Filling->push_back({std::string(Line.Name), std::move(Value)});
        }
        return true;
    });
}
