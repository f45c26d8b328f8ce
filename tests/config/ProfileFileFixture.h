#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TemporaryFolder.h"
#include "config/ProfileFile.h"

// Profile files in a temporary folder of the test's own.
class TProfileFileFixture : public testing::Test {
protected:
    // A profile file in the temporary folder holding exactly Bytes.
    ProfileFile Holding(const std::string& Bytes)
    {
        Folder.Write("Test.ini", Bytes);
        return ProfileFile(Folder / "Test.ini");
    }

    std::string Stored() const { return Folder.Read("Test.ini"); }

    TTemporaryFolder Folder;
};
