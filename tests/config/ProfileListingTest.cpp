#include <gtest/gtest.h>

#include <string>

#include "ProfileFileFixture.h"

using ProfileListingTest = TProfileFileFixture;

TEST_F(ProfileListingTest, ListingsGiveNamesAsWrittenInFileOrderAndAgreeWithReads)
{
    const ProfileFile Ini = Holding(
        "[Piano]\n"
        "1=First\n"
        " Bare \n"
        "one=Second\n"
        "=no name\n"
        "[Organ]\n"
        "[PIANO]\n"
        "9=never read\n");
    EXPECT_EQ(Ini.ReadSections(), (TStringList{"Piano", "Organ", "PIANO"}));
    EXPECT_EQ(Ini.ReadSection("piano"), (TStringList{"1", "Bare", "one"}));
    EXPECT_EQ(Ini.ReadSection("Organ"), TStringList{});
    EXPECT_EQ(Ini.ReadSection("Missing"), TStringList{});

    const TProfileListing Listing = Ini.ReadListing();
    ASSERT_EQ(Listing.Sections(), Ini.ReadSections());
    for (size_t Section = 0; Section < Listing.Sections().size(); ++Section) {
        const std::string& Name = Listing.Sections()[Section];
        TStringList Keys;
        for (const TProfileEntry& Entry : Listing.Entries(Section)) {
            Keys.push_back(Entry.Name);
            EXPECT_EQ(Entry.Value.value_or("(default)"), Ini.ReadString(Name, Entry.Name, "(default)"))
                << Name << " " << Entry.Name;
        }
        EXPECT_EQ(Keys, Ini.ReadSection(Name)) << Name;
    }
}

TEST_F(ProfileListingTest, ListingsStopAtSixteenKilobytesCountingOneTerminatorPerName)
{
    // Sixteen names of 1023 bytes fill the listing exactly; the seventeenth is left out.
    std::string Sections;
    std::string Keys = "[Keys]\n";
    for (char Letter = 'a'; Letter <= 'q'; ++Letter) {
        Sections += "[" + std::string(1023, Letter) + "]\n";
        Keys += std::string(1023, Letter) + "=1\n";
    }
    const ProfileFile Ini = Holding(Keys + Sections);
    const TStringList Names = Ini.ReadSections();
    ASSERT_EQ(Names.size(), 16u);
    EXPECT_EQ(Names.front(), "Keys");
    EXPECT_EQ(Names.back(), std::string(1023, 'o'));
    EXPECT_EQ(Ini.ReadSection("Keys").size(), 16u);
    EXPECT_EQ(Ini.ReadListing().Sections(), Names);
    EXPECT_EQ(Ini.ReadListing().Entries(0).size(), 16u);
    // A key beyond the listing can still be read.
    EXPECT_EQ(Ini.ReadInteger("Keys", std::string(1023, 'q'), 0), 1);
}
