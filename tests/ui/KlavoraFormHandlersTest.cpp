#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

#include "FormHandlersFixture.h"
#include "FullDisk.h"
#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "support/ErrorRoutines.h"
#include "ui/ErrorBoxRoutines.h"

namespace {

using TCallKind = TRecordingMIDIOutService::TCallKind;
using TOffsets = std::vector<int32_t>;
using enum TFormControl;

std::vector<TCallKind> Kinds(const std::vector<TRecordingMIDIOutService::TCall>& Calls)
{
    std::vector<TCallKind> Result;
    for (const auto& Call : Calls)
        Result.push_back(Call.Kind);
    return Result;
}

constexpr TShiftState Shift{true, false, false};
constexpr TShiftState Alt{false, true, false};
constexpr TShiftState Ctrl{false, false, true};

}

TEST_F(FormHandlersTest, CreationOpensTheStoredPortAndFillsEveryControlFromTheSettings)
{
    CreateFormKeepingTraffic();
    const std::string Program = ProgramChange(1, MIDIPatch.ProgramOf(0, 0));
    // Opening sends the program change, and so does the channel list's change handler.
    EXPECT_EQ(Sent(), (std::vector<std::string>{Program, Program}));
    EXPECT_EQ(Kinds(Service.Calls),
              (std::vector<TCallKind>{TCallKind::GetNumDevs, TCallKind::GetDevCaps, TCallKind::GetDevCaps,
                                      TCallKind::Open, TCallKind::ShortMsg, TCallKind::ShortMsg}));
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
    EXPECT_TRUE(Errors.Messages.empty());

    EXPECT_EQ(View[ComboBox1].Items, (std::vector<std::string>{"Windows MIDI Mapper", "Synth One", "Synth Two"}));
    EXPECT_EQ(View[ComboBox1].ItemIndex, 0);
    EXPECT_EQ(View[ComboBox2].Items, *MIDIPatch.GroupNames);
    EXPECT_EQ(View[ComboBox2].ItemIndex, 0);
    EXPECT_EQ(View[ComboBox3].Items, MIDIPatch.GroupVoiceNames(0));
    EXPECT_EQ(View[ComboBox3].ItemIndex, 0);
    ASSERT_EQ(View[ComboBox5].Items.size(), 12u);
    EXPECT_EQ(View[ComboBox5].Items.front(), "Ch:01");
    EXPECT_EQ(View[ComboBox5].Items.back(), "Ch:12");
    EXPECT_EQ(View[ComboBox5].Hint, "Controller Channel: 1");

    EXPECT_TRUE(View[TrackBar1].Enabled);
    EXPECT_EQ(View[TrackBar1].Min, 23);
    EXPECT_EQ(View[TrackBar1].Max, 103);
    EXPECT_EQ(View[TrackBar1].Frequency, 8);
    // Volume is absent from a fresh file: its default lies above the range.
    EXPECT_EQ(View[TrackBar1].Position, 103);
    EXPECT_EQ(View[TrackBar1].Hint, "Voice Volume: 103");
    EXPECT_EQ(View[TrackBar2].Max, 127);
    EXPECT_EQ(View[TrackBar2].Hint, "Voice Velocity: 0");

    EXPECT_EQ(View[Piano0].Hint, "C4");
    EXPECT_EQ(View[Piano1].Hint, "C#4");
    EXPECT_EQ(View[Piano24].Hint, "C6");
    EXPECT_EQ(View[o1].Hint, "Ocatave: 1 - 2");
    EXPECT_EQ(View[o8].Hint, "Ocatave: 8 - 9");
    for (int32_t Index = 0; Index < OctaveButtonCount; ++Index) {
        EXPECT_EQ(View[OctaveButton(Index)].Bold, Index == 4);
        EXPECT_EQ(View[OctaveButton(Index)].Caption, Index == 4 ? BlackColor : DimColor);
    }
    for (const TFormControl Pedal : {Button24, Button22, Button1})
        EXPECT_EQ(View[Pedal].Caption, DimColor);
    EXPECT_TRUE(View.LitKeys().empty());
}

TEST_F(FormHandlersTest, ChannelTenDisablesTheInstrumentListsAndSendsNoProgramUntilAnotherIsChosen)
{
    KeyboardConfig.SetChannel(10);
    CreateFormKeepingTraffic();
    const int32_t Program = MIDIPatch.ProgramOf(0, 0);
    // Opening the port sends its program change on channel 10 all the same.
    EXPECT_EQ(Sent(), std::vector<std::string>{ProgramChange(10, Program)});
    for (const TFormControl List : {ComboBox2, ComboBox3}) {
        EXPECT_FALSE(View[List].Enabled);
        EXPECT_EQ(View[List].ItemIndex, -1);
    }

    Service.ClearRecords();
    Form->ComboBox5Change(2);
    EXPECT_EQ(KeyboardConfig.GetChannel(), 3);
    EXPECT_EQ(Sent(), std::vector<std::string>{ProgramChange(3, Program)});
    EXPECT_TRUE(View[ComboBox2].Enabled);
    EXPECT_EQ(View[ComboBox2].ItemIndex, 0);
    EXPECT_EQ(View[ComboBox3].ItemIndex, 0);
    EXPECT_EQ(View[ComboBox5].Hint, "Controller Channel: 3");
}

TEST_F(FormHandlersTest, StoredValuesOutsideTheListsShowNoSelectionOrFallBackToTheMapper)
{
    KeyboardConfig.SetChannel(13);
    KeyboardConfig.SetDeviceID(7);
    CreateFormKeepingTraffic();
    EXPECT_EQ(View[ComboBox5].ItemIndex, -1);
    EXPECT_EQ(View[ComboBox5].Hint, "Controller Channel: 0");
    EXPECT_EQ(KeyboardConfig.GetChannel(), 13);
    EXPECT_EQ(View[ComboBox1].ItemIndex, 0);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 0);
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
    // Notes still go out on the stored channel.
    Service.ClearRecords();
    PressKey(KeyZ);
    EXPECT_EQ(Sent(), std::vector<std::string>{"9C 30 67"});
}

TEST_F(FormHandlersTest, ChoosingAnotherDeviceEndsNotesOnTheOldPortThenClosesItBeforeOpeningTheNew)
{
    CreateForm();
    PressKey(KeyZ);
    Service.ClearRecords();
    Form->ComboBox1Change(2);
    const auto Calls = Service.Calls;
    ASSERT_EQ(Kinds(Calls),
              (std::vector<TCallKind>{TCallKind::ShortMsg, TCallKind::Close, TCallKind::Open, TCallKind::ShortMsg}));
    EXPECT_EQ(Calls[0].DeviceID, -1);
    EXPECT_EQ(Calls[0].Message, 0x003080u);
    EXPECT_EQ(Calls[1].DeviceID, -1);
    EXPECT_EQ(Calls[2].DeviceID, 1);
    EXPECT_EQ(Service.SentTo(1), std::vector<uint32_t>{0xC0u | uint32_t(MIDIPatch.ProgramOf(0, 0)) << 8});
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 2);
    ReleaseKey(KeyZ);
    EXPECT_EQ(Service.SentTo(1).size(), 1u);
}

TEST_F(FormHandlersTest, AChannelOrInstrumentChangeEndsNotesOnTheOldChannelBeforeItsProgramChange)
{
    ASSERT_GE(MIDIPatch.GroupPrograms.size(), 2u);
    CreateForm();
    PressKey(KeyZ);
    Service.ClearRecords();
    Form->ComboBox5Change(3);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 30 00", ProgramChange(4, MIDIPatch.ProgramOf(0, 0))}));
    EXPECT_EQ(KeyboardConfig.GetChannel(), 4);

    PressKey(KeyX);
    Service.ClearRecords();
    Form->ComboBox2Change(1);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"83 32 00", ProgramChange(4, MIDIPatch.ProgramOf(1, 0))}));
    EXPECT_EQ(KeyboardConfig.GetGroup(), 1);
    EXPECT_EQ(KeyboardConfig.GetVoice(), 0);
    EXPECT_EQ(View[ComboBox3].Items, MIDIPatch.GroupVoiceNames(1));
    EXPECT_EQ(View[ComboBox3].ItemIndex, 0);

    Service.ClearRecords();
    Form->ComboBox3Change(2);
    EXPECT_EQ(Sent(), std::vector<std::string>{ProgramChange(4, MIDIPatch.ProgramOf(1, 2))});
    EXPECT_EQ(KeyboardConfig.GetVoice(), 2);

    // Channel 10: nothing to send, the instrument lists go quiet.
    Service.ClearRecords();
    Form->ComboBox5Change(9);
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(View[ComboBox3].Enabled);
}

TEST_F(FormHandlersTest, ResetEndsNotesSilencesEveryChannelAndReopensTheCurrentPort)
{
    CreateForm();
    PressKey(KeyZ);
    Service.ClearRecords();
    Form->Button2Click();
    std::vector<std::string> Expected{"80 30 00"};
    for (int Channel = 0; Channel < 16; ++Channel) {
        char Text[12];
        std::snprintf(Text, sizeof Text, "%02X 7B 00", 0xB0 + Channel);
        Expected.push_back(Text);
    }
    Expected.push_back(ProgramChange(1, MIDIPatch.ProgramOf(0, 0)));
    EXPECT_EQ(Sent(), Expected);
    // The port closes, the list is read again, and the port reopens.
    std::vector<TCallKind> Last = Kinds(Service.Calls);
    Last.erase(Last.begin(), Last.end() - 6);
    EXPECT_EQ(Last, (std::vector<TCallKind>{TCallKind::Close, TCallKind::GetNumDevs, TCallKind::GetDevCaps,
                                            TCallKind::GetDevCaps, TCallKind::Open, TCallKind::ShortMsg}));
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
}

TEST_F(FormHandlersTest, AHeldKeySoundsOnceAndEndsTheNoteItStartedWhateverHappensMeanwhile)
{
    CreateForm();
    PressKey(KeyZ);
    // A repeat, even one that looks like a fresh press.
    PressKey(KeyZ);
    Form->o1MouseDown(7);
    PressKey(KeyZ);
    ReleaseKey(KeyZ);
    PressKey(KeyZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00", "90 48 67"}));
    ReleaseKey(KeyZ);

    // Its note stopped by a channel change, the held key stays silent until released.
    Form->o1MouseDown(5);
    Service.ClearRecords();
    PressKey(KeyZ);
    Form->ComboBox5Change(1);
    PressKey(KeyZ);
    ReleaseKey(KeyZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00", ProgramChange(2, MIDIPatch.ProgramOf(0, 0))}));
    EXPECT_TRUE(MIDIPiano.SustainedNotes.empty());
}

TEST_F(FormHandlersTest, AltAccentsCtrlSoftensAndShiftAtReleaseKeepsTheNote)
{
    CreateForm();
    PressKey(KeyZ, Alt);
    ReleaseKey(KeyZ, Alt);
    PressKey(KeyZ, Ctrl);
    ReleaseKey(KeyZ, Ctrl);
    PressKey(KeyZ, {false, true, true});
    ReleaseKey(KeyZ, Shift);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 7F", "80 30 00", "90 30 50", "80 30 00", "90 30 67"}));
    // The space bar releases what Shift kept.
    PressKey(KeySpace);
    EXPECT_EQ(Sent().back(), "80 30 00");
}

TEST_F(FormHandlersTest, EachMouseButtonHoldsItsOwnNoteAndAReleaseOverAListOrBarEndsIt)
{
    CreateForm();
    MousePress(0, TMouseButton::Left);
    MousePress(4, TMouseButton::Right);
    MousePress(2, TMouseButton::Middle);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 34 67", "90 32 67"}));
    MouseRelease(TMouseButton::Right);
    EXPECT_EQ(Sent().back(), "80 34 00");
    View.ButtonsDown.Exclude(TMouseButton::Middle);
    Form->ControlMouseUp(TMouseButton::Middle);
    EXPECT_EQ(Sent().back(), "80 32 00");
    const int FocusBefore = View.FocusTakenBack;
    MouseRelease(TMouseButton::Left);
    EXPECT_EQ(Sent().back(), "80 30 00");
    EXPECT_EQ(View.FocusTakenBack, FocusBefore + 1);
    EXPECT_EQ(Sent().size(), 6u);
}

TEST_F(FormHandlersTest, SustainKeepsMouseNotesUntilTheNextFreshClickAndAllNotesOffEndsOnlyThem)
{
    CreateForm();
    Form->Button22MouseDown();
    EXPECT_TRUE(KeyboardConfig.GetSustain());
    EXPECT_EQ(View[Button22].Caption, BlackColor);
    Click(0);
    Click(2);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00", "90 32 67"}));
    Service.ClearRecords();
    MousePress(4, TMouseButton::Left);
    MousePress(5, TMouseButton::Right);
    MouseRelease(TMouseButton::Right);
    MouseRelease(TMouseButton::Left);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 32 00", "90 34 67", "90 35 67"}));

    Service.ClearRecords();
    PressKey(KeyZ);
    Form->Button3MouseDown();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 34 00", "80 35 00"}));
}

TEST_F(FormHandlersTest, AMouseNoteOutlivesAnOctaveChangeAndTheKeysFollowTheOctave)
{
    CreateForm();
    MousePress(0, TMouseButton::Left);
    Form->o1MouseDown(6);
    EXPECT_EQ(KeyboardConfig.GetOctave(), 5);
    EXPECT_EQ(View[Piano0].Hint, "C5");
    EXPECT_EQ(View[Piano24].Hint, "C7");
    EXPECT_TRUE(View[o6].Bold);
    EXPECT_FALSE(View[o5].Bold);
    EXPECT_EQ(View[o5].Caption, DimColor);
    MouseRelease(TMouseButton::Left);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
    PressKey(KeyZ);
    EXPECT_EQ(Sent().back(), "90 3C 67");
    Form->o1MouseDown(1);
    EXPECT_EQ(View[Piano0].Hint, "C0");
    EXPECT_EQ(View[Piano24].Hint, "C2");
}

TEST_F(FormHandlersTest, SoftAndAccentExcludeEachOtherAndAStoredSoftWinsAtCreation)
{
    KeyboardConfig.SetAccent(true);
    KeyboardConfig.SetSoft(true);
    CreateForm();
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    EXPECT_EQ(View[Button24].Caption, BlackColor);
    EXPECT_EQ(View[Button1].Caption, DimColor);

    Form->Button1MouseDown();
    EXPECT_TRUE(KeyboardConfig.GetAccent());
    EXPECT_FALSE(KeyboardConfig.GetSoft());
    EXPECT_EQ(View[Button1].Caption, BlackColor);
    EXPECT_EQ(View[Button24].Caption, DimColor);
    Form->Button24MouseDown();
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    Form->Button24MouseDown();
    EXPECT_FALSE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    EXPECT_FALSE(View[Button24].Bold);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(FormHandlersTest, TrackBarsStoreEveryPositionForTheNextNotes)
{
    CreateForm();
    Form->TrackBar1Change(60);
    Form->TrackBar2Change(12);
    EXPECT_EQ(KeyboardConfig.GetVolume(), 60);
    EXPECT_EQ(KeyboardConfig.GetFade(), 12);
    EXPECT_EQ(View[TrackBar1].Hint, "Voice Volume: 60");
    EXPECT_EQ(View[TrackBar2].Hint, "Voice Velocity: 12");
    PressKey(KeyZ);
    ReleaseKey(KeyZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 3C", "80 30 0C"}));
}

TEST_F(FormHandlersTest, TheLabelsStopEveryNoteAndOpenTheirMenusWhoseItemsAct)
{
    CreateForm();
    PressKey(KeyZ);
    Form->StaticTextLeftDown();
    Form->StaticText1MouseDown();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
    Form->StaticText2MouseDown();
    EXPECT_EQ(View.MenusOpened, (std::vector<TFormMenu>{TFormMenu::File, TFormMenu::Help}));

    std::vector<std::string> Opened;
    const TShellOpener Replaced = SetShellOpener([&Opened](const std::string& Target) { Opened.push_back(Target); });
    Form->Help1Click();
    Form->ProductHomepage1Click();
    SetShellOpener(Replaced);
    EXPECT_EQ(Opened, (std::vector<std::string>{Folder / "Readme.txt", HomePageAddress}));
    Form->About1Click();
    EXPECT_EQ(View.AboutShown, 1);
    Form->File1Click();
    EXPECT_EQ(View.Closed, 1);
}

TEST_F(FormHandlersTest, KeysAreLitWhileTheirNotesSoundHoweverTheyWerePlayed)
{
    CreateForm();
    PressKey(KeyZ);
    PressKey(Key2);
    EXPECT_EQ(View.LitKeys(), (TOffsets{0, 13}));
    ReleaseKey(KeyZ);
    ReleaseKey(Key2, Shift);
    EXPECT_EQ(View.LitKeys(), TOffsets{13});
    PressKey(KeyX);
    EXPECT_EQ(View.LitKeys(), TOffsets{2});
    ReleaseKey(KeyX);

    // A mouse note and a key on the same note: lit until both end.
    MousePress(0, TMouseButton::Left);
    MousePress(7, TMouseButton::Right);
    PressKey(KeyZ);
    EXPECT_EQ(View.LitKeys(), (TOffsets{0, 7}));
    MouseRelease(TMouseButton::Left);
    MouseRelease(TMouseButton::Right);
    EXPECT_EQ(View.LitKeys(), TOffsets{0});
    ReleaseKey(KeyZ);
    EXPECT_TRUE(View.LitKeys().empty());

    // Sustain keeps released notes lit until the space bar.
    Form->Button22MouseDown();
    PressKey(KeyZ);
    PressKey(KeyX);
    ReleaseKey(KeyZ);
    ReleaseKey(KeyX);
    EXPECT_EQ(View.LitKeys(), (TOffsets{0, 2}));
    PressKey(KeySpace);
    EXPECT_TRUE(View.LitKeys().empty());
    Form->Button22MouseDown();

    // A note above the keys lights nothing; another octave shows a held note at its own key.
    PressKey(KeyTab);
    EXPECT_TRUE(MIDIPiano.IsSounding(48 + 25));
    EXPECT_TRUE(View.LitKeys().empty());
    Form->o1MouseDown(6);
    EXPECT_EQ(View.LitKeys(), TOffsets{13});
    Form->o1MouseDown(8);
    EXPECT_TRUE(View.LitKeys().empty());

    // Keys still down when the window loses the keyboard are released.
    Form->FormDeactivate();
    EXPECT_FALSE(MIDIPiano.IsSounding(48 + 25));
    Form->o1MouseDown(6);
    EXPECT_TRUE(View.LitKeys().empty());
}

TEST_F(FormHandlersTest, EverythingThatStopsAllNotesDarkensEveryKey)
{
    CreateForm();
    const std::pair<const char*, std::function<void()>> Stops[] = {
        {"channel", [&] { Form->ComboBox5Change(2); }},
        {"voice", [&] { Form->ComboBox3Change(1); }},
        {"device", [&] { Form->ComboBox1Change(1); }},
        {"Reset", [&] { Form->Button2Click(); }},
        {"File menu", [&] { Form->StaticText1MouseDown(); }},
    };
    for (const auto& [Name, Stop] : Stops) {
        SCOPED_TRACE(Name);
        PressKey(KeyZ);
        PressKey(KeyX);
        ReleaseKey(KeyX, Shift);
        MousePress(4, TMouseButton::Left);
        ASSERT_EQ(View.LitKeys(), (TOffsets{0, 2, 4}));
        Stop();
        EXPECT_TRUE(View.LitKeys().empty());
        MouseRelease(TMouseButton::Left);
        ReleaseKey(KeyZ);
    }
    PressKey(KeyZ);
    Form.reset();
    EXPECT_EQ(MIDIPiano.Observer, nullptr);
    EXPECT_FALSE(MIDIPiano.IsSounding(48));
    EXPECT_EQ(View.LitKeys(), TOffsets{0}) << "the keys of a window that is gone are not drawn";
}

TEST_F(FormHandlersTest, AWindowMadeWhileNoWriteSucceedsShowsEverySettingInForceAndSaysSoOnce)
{
    // A device past the list and both Soft and Accent on: creating the form rewrites them.
    KeyboardConfig.SetDeviceID(7);
    KeyboardConfig.SetGroup(2);
    KeyboardConfig.SetVoice(1);
    KeyboardConfig.SetChannel(3);
    KeyboardConfig.SetVolume(50);
    KeyboardConfig.SetFade(20);
    KeyboardConfig.SetOctave(2);
    KeyboardConfig.SetSoft(true);
    KeyboardConfig.SetAccent(true);
    {
        const TFullDisk Full(KeyboardConfig.Ini->FileName());
        CreateFormKeepingTraffic();
    }
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Unable to write to " + SettingsFile()});
    EXPECT_EQ(View[ComboBox1].Items.size(), 3u);
    EXPECT_EQ(View[ComboBox1].ItemIndex, -1) << "no port is at the stored position";
    EXPECT_EQ(View[ComboBox2].ItemIndex, 2);
    EXPECT_EQ(View[ComboBox3].Items, MIDIPatch.GroupVoiceNames(2));
    EXPECT_EQ(View[ComboBox3].ItemIndex, 1);
    EXPECT_EQ(View[ComboBox5].ItemIndex, 2);
    EXPECT_EQ(View[TrackBar1].Position, 50);
    EXPECT_EQ(View[TrackBar1].Hint, "Voice Volume: 50");
    EXPECT_EQ(View[TrackBar2].Position, 20);
    EXPECT_TRUE(View[o3].Bold);
    EXPECT_EQ(View[Piano0].Hint, "C2");
    EXPECT_EQ(View[Button24].Caption, BlackColor);
    EXPECT_EQ(View[Button1].Caption, BlackColor);
    EXPECT_EQ(View[Button22].Caption, DimColor);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 7);
    EXPECT_TRUE(KeyboardConfig.GetAccent());
}

TEST_F(FormHandlersTest, AChangeThatCannotBeStoredIsReportedOnceAndTheControlShowsTheValueInForce)
{
    CreateForm();
    const TFullDisk Full(KeyboardConfig.Ini->FileName());
    Form->TrackBar1Change(60);
    EXPECT_EQ(View[TrackBar1].Position, 103);
    EXPECT_EQ(View[TrackBar1].Hint, "Voice Volume: 103");

    Form->ComboBox2Change(3);
    EXPECT_EQ(View[ComboBox2].ItemIndex, 0);
    EXPECT_EQ(View[ComboBox3].Items, MIDIPatch.GroupVoiceNames(0));

    Form->ComboBox5Change(9);
    EXPECT_EQ(View[ComboBox5].ItemIndex, 0);
    EXPECT_EQ(View[ComboBox5].Hint, "Controller Channel: 1");
    EXPECT_TRUE(View[ComboBox2].Enabled);
    EXPECT_EQ(View[ComboBox3].ItemIndex, 0);

    Form->o1MouseDown(7);
    EXPECT_TRUE(View[o5].Bold);
    EXPECT_FALSE(View[o7].Bold);
    EXPECT_EQ(View[Piano0].Hint, "C4");

    Form->Button22MouseDown();
    EXPECT_EQ(View[Button22].Caption, DimColor);

    // The port in use stays open: the notes still go to it.
    Form->ComboBox1Change(2);
    EXPECT_EQ(View[ComboBox1].ItemIndex, 0);
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
    Service.ClearRecords();
    PressKey(KeyZ);
    EXPECT_EQ(Service.SentTo(-1), std::vector<uint32_t>{0x673090});

    EXPECT_EQ(Errors.Messages, std::vector<std::string>(6, "Unable to write to " + SettingsFile()));
}

TEST_F(FormHandlersTest, ASettingsFileReplacedByAFolderFailsItsChangeAndPlayingGoesOn)
{
    CreateForm();
    const std::filesystem::path Settings = SettingsFile();
    std::filesystem::rename(Settings, Folder / "Setup.saved");
    std::filesystem::create_directory(Settings);
    Form->Button22MouseDown();
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Unable to write to " + SettingsFile()});
    std::filesystem::remove(Settings);
    std::filesystem::rename(Folder / "Setup.saved", Settings);
    PressKey(KeyZ);
    EXPECT_EQ(Sent(), std::vector<std::string>{"90 30 67"});
}

namespace {

// An error box that, while it is up, lets the test do what a user does
// meanwhile, then is dismissed.
class TBoxWithUser final : public TModalErrorBox {
public:
    void Run(const std::string& Message) override
    {
        Shown.push_back(Message);
        if (WhileUp)
            WhileUp();
    }
    void Close() override {}

    std::function<void()> WhileUp;
    std::vector<std::string> Shown;
};

}

TEST_F(FormHandlersTest, WhatWentUpWhileAnErrorBoxWasUpEndsOnceTheBoxesAreGone)
{
    CreateForm();
    TBoxWithUser Box;
    ErrorBoxStart(Box);
    // As a window does: once the failed operation has returned, the event
    // loop runs what the boxes' going asked for.
    bool BoxesGone = false;
    SetErrorBoxesClosedHandler([&BoxesGone] { BoxesGone = true; });
    const auto EventLoop = [&] {
        if (std::exchange(BoxesGone, false))
            Form->ReleaseWhatWentUp();
    };

    // The Note On fails with 67 (the hardware is busy): Z goes up under its
    // box, before the player has noted the key. Its Note Off still goes out.
    Service.ShortMsgResults = {67};
    Box.WhileUp = [this] { Form->KeySeenUnderBox(true, KeyZ, {}); };
    PressKey(KeyZ);
    EventLoop();
    EXPECT_EQ(Sent(), std::vector<std::string>{"80 30 00"});

    // A mouse button released under the box.
    Service.ShortMsgResults = {67};
    Box.WhileUp = [this] { View.ButtonsDown.Exclude(TMouseButton::Left); };
    MousePress(2, TMouseButton::Left);
    EventLoop();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 30 00", "80 32 00"}));

    // A key that goes up and down again under the box sounds on until its release.
    Service.ShortMsgResults = {0, 67};
    Box.WhileUp = [this] {
        Form->KeySeenUnderBox(true, KeyX, {});
        Form->KeySeenUnderBox(false, KeyX, {});
    };
    PressKey(KeyX);
    PressKey(KeyZ);
    EventLoop();
    EXPECT_EQ(Sent().back(), "90 32 67");
    ReleaseKey(KeyX);
    EXPECT_EQ(Sent().back(), "80 32 00");
    ReleaseKey(KeyZ);
    EXPECT_EQ(Sent().back(), "80 30 00");
    EXPECT_EQ(Box.Shown.size(), 3u);

    SetErrorBoxesClosedHandler(nullptr);
    ErrorBoxStop();
    EXPECT_TRUE(MIDIPiano.HeldNotes.empty());
    EXPECT_EQ(MIDIPiano.LeftNote, -1);
}
