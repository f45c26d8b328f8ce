#include <gtest/gtest.h>

#include <utility>

#include "ui/KlavoraFormRoutines.h"

TEST(NoteNameTest, NamesNotesWithSharpsFromOctaveZero)
{
    const std::pair<int32_t, const char*> Names[] = {{0, "C0"},   {1, "C#0"},  {59, "B4"},  {60, "C5"},  {61, "C#5"},
                                                     {69, "A5"},  {108, "C9"}, {127, "G10"}, {-1, "?0"}, {-13, "?-1"},
                                                     {-12, "C-1"}};
    for (const auto& [Note, Name] : Names)
        EXPECT_EQ(NoteName(Note), Name) << Note;
}
