#include <gtest/gtest.h>

#include "WineDesktop.h"

int main(int Argc, char** Argv)
{
    testing::InitGoogleTest(&Argc, Argv);
    // Google Test owns and deletes the environment.
    testing::AddGlobalTestEnvironment(new TWineDesktop);
    return RUN_ALL_TESTS();
}
