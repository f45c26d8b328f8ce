#include <gtest/gtest.h>

#include <filesystem>

#include "TemporaryFolder.h"
#include "midi/SoundFontRoutines.h"

TEST(SoundFontRoutines, TheFirstSoundFontBesideTheProgramWinsOverTheSystems)
{
    TTemporaryFolder Folder;
    Folder.Write("b.sf2", "");
    Folder.Write("A.SF3", "");
    Folder.Write("0 notes.txt", "");
    Folder.Write("sf2", "");
    std::filesystem::create_directory(Folder / "0 folder.sf2");
    const char* const System[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2"};
    EXPECT_EQ(FindSoundFont(Folder.Path(), System), Folder / "A.SF3");
}

TEST(SoundFontRoutines, WithoutOneBesideTheProgramTheFirstSystemSoundFontThatExistsIsTaken)
{
    TTemporaryFolder Folder;
    Folder.Write("b.sf2", "");
    Folder.Write("c.sf3", "");
    const std::string Empty = Folder / "empty/";
    const std::string Missing = Folder / "missing.sf2";
    const std::string Present = Folder / "b.sf2";
    const std::string Later = Folder / "c.sf3";
    std::filesystem::create_directory(Empty);

    const char* const Fallbacks[] = {Missing.c_str(), Present.c_str(), Later.c_str()};
    EXPECT_EQ(FindSoundFont(Empty, Fallbacks), Present);
    EXPECT_EQ(FindSoundFont(Folder / "no such folder/", Fallbacks), Present);
    const char* const Nothing[] = {Missing.c_str()};
    EXPECT_EQ(FindSoundFont(Empty, Nothing), "");
}
