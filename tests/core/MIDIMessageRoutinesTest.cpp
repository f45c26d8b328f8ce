#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/MIDIMessageRoutines.h"

namespace {

std::string Bytes(uint32_t Message)
{
    char Text[16];
    std::snprintf(Text, sizeof Text, "%02X %02X %02X %02X", Message & 0xFF, (Message >> 8) & 0xFF,
                  (Message >> 16) & 0xFF, Message >> 24);
    return Text;
}

}

TEST(MIDIMessageRoutines, PacksTheTabledValues)
{
    EXPECT_EQ(Bytes(AllNotesOffMessage(1)), "B0 7B 00 00");
    EXPECT_EQ(Bytes(AllNotesOffMessage(16)), "BF 7B 00 00");
    EXPECT_EQ(Bytes(NoteOnMessage(1, 60, 100)), "90 3C 64 00");
    EXPECT_EQ(Bytes(NoteOffMessage(16, 127, 0)), "8F 7F 00 00");
    EXPECT_EQ(Bytes(ProgramChangeMessage(10, 0)), "C9 00 00 00");
    EXPECT_EQ(Bytes(NoteOnMessage(0, -5, 200)), "90 00 7F 00");
    EXPECT_EQ(Bytes(ProgramChangeMessage(17, 128)), "CF 7F 00 00");
}

TEST(MIDIMessageRoutines, ClampsEveryArgumentAtBothEnds)
{
    for (int32_t Channel : {INT32_MIN, -1, 0})
        EXPECT_EQ(NoteOffMessage(Channel, 1, 1) & 0xFF, 0x80u) << Channel;
    for (int32_t Channel : {17, 99, INT32_MAX})
        EXPECT_EQ(AllNotesOffMessage(Channel) & 0xFF, 0xBFu) << Channel;

    EXPECT_EQ(Bytes(NoteOffMessage(5, INT32_MAX, INT32_MIN)), "84 7F 00 00");
    EXPECT_EQ(Bytes(NoteOnMessage(5, INT32_MIN, INT32_MAX)), "94 00 7F 00");
    EXPECT_EQ(Bytes(ProgramChangeMessage(2, -1)), "C1 00 00 00");
    // A Note On with velocity 0 stays a Note On.
    EXPECT_EQ(Bytes(NoteOnMessage(3, 64, 0)), "92 40 00 00");
}

TEST(MIDIMessageRoutines, NeverSetsTheTopByteOrAnUnusedSecondDataByte)
{
    for (int32_t Value : {INT32_MIN, -1, 0, 64, 127, 128, INT32_MAX}) {
        for (int32_t Channel : {INT32_MIN, 0, 1, 16, 17}) {
            EXPECT_EQ(NoteOnMessage(Channel, Value, Value) >> 24, 0u);
            EXPECT_EQ(NoteOffMessage(Channel, Value, Value) >> 24, 0u);
            EXPECT_EQ(ProgramChangeMessage(Channel, Value) >> 16, 0u);
            EXPECT_EQ(AllNotesOffMessage(Channel) >> 16, 0u);
        }
    }
}

TEST(MIDIMessageRoutines, TakesAMessageApartIntoTheBytesItsStatusCallsFor)
{
    struct TCase {
        uint32_t Message;
        std::vector<uint8_t> Bytes;
    };
    const TCase Cases[] = {
        {NoteOnMessage(1, 60, 100), {0x90, 0x3C, 0x64}},
        {NoteOffMessage(16, 127, 0), {0x8F, 0x7F, 0x00}},
        {AllNotesOffMessage(3), {0xB2, 0x7B, 0x00}},
        {ProgramChangeMessage(10, 5), {0xC9, 0x05}},
        {0x00407FD3, {0xD3, 0x7F}},         // Channel Pressure
        {0x004000E0, {0xE0, 0x00, 0x40}},   // Pitch Bend
        {0x000012F3, {0xF3, 0x12}},         // Song Select
        {0x000000F8, {0xF8}},               // Clock
        {0x00FFFF90, {0x90, 0x7F, 0x7F}},   // data bytes never carry a status bit
        {0x0000403C, {}},                   // no status byte
        {0x000000F0, {}},                   // SysEx is no short message
    };
    for (const TCase& Case : Cases) {
        const TShortMessageBytes Wire = ShortMessageBytes(Case.Message);
        EXPECT_EQ(std::vector<uint8_t>(Wire.Bytes, Wire.Bytes + Wire.Count), Case.Bytes) << Bytes(Case.Message);
    }
}
