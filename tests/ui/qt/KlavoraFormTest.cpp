#include <fstream>
#include <functional>
#include <iterator>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#define QTEST_QPA_MOUSE_HANDLING
#include <QTest>

#include <xcb/xcb.h>

#include "FormFixture.h"
#include "FullDisk.h"
#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/qt/KlavoraForm.h"
#include "ui/KlavoraFormRoutines.h"

namespace {

using TCallKind = TRecordingMIDIOutService::TCallKind;

std::string ProgramChange(int Channel, int Program)
{
    char Text[8];
    std::snprintf(Text, sizeof Text, "%02X %02X", 0xC0 + Channel - 1, Program);
    return Text;
}

std::string FileText(const std::filesystem::path& Path)
{
    std::ifstream File(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

std::vector<TCallKind> Kinds(const std::vector<TRecordingMIDIOutService::TCall>& Calls)
{
    std::vector<TCallKind> Result;
    for (const auto& Call : Calls)
        Result.push_back(Call.Kind);
    return Result;
}

// The offsets of the piano keys that are lit.
std::vector<int> LitKeys()
{
    std::vector<int> Lit;
    for (int Offset = 0; Offset < 25; ++Offset)
        if (Form1->PianoKeys[Offset]->IsLit())
            Lit.push_back(Offset);
    return Lit;
}

using TOffsets = std::vector<int>;

struct TPlacement {
    const char* Name;
    const char* Parent;
    QRect Geometry;
};

// Positions as laid out, relative to the parent's client area.
const TPlacement Placements[] = {
    {"StaticText1", "Form1", {0, 0, 29, 17}},      {"StaticText2", "Form1", {29, 0, 34, 17}},
    {"GroupBox1", "Form1", {0, 16, 193, 41}},      {"ComboBox1", "GroupBox1", {8, 15, 129, 21}},
    {"Button2", "GroupBox1", {144, 14, 41, 21}},   {"GroupBox2", "Form1", {200, 16, 297, 41}},
    {"ComboBox2", "GroupBox2", {8, 15, 81, 21}},   {"ComboBox3", "GroupBox2", {96, 15, 129, 21}},
    {"ComboBox5", "GroupBox2", {232, 15, 57, 21}}, {"GroupBox4", "Form1", {0, 56, 113, 41}},
    {"TrackBar1", "GroupBox4", {2, 12, 109, 26}},  {"GroupBox3", "Form1", {0, 96, 113, 41}},
    {"TrackBar2", "GroupBox3", {2, 12, 109, 26}},  {"GroupBox17", "Form1", {0, 136, 113, 73}},
    {"o1", "GroupBox17", {8, 16, 25, 25}},         {"o4", "GroupBox17", {80, 16, 25, 25}},
    {"o5", "GroupBox17", {8, 40, 25, 25}},         {"o8", "GroupBox17", {80, 40, 25, 25}},
    {"GroupBox13", "Form1", {120, 56, 377, 105}},  {"Piano0", "GroupBox13", {8, 16, 25, 81}},
    {"Piano1", "GroupBox13", {24, 16, 17, 49}},    {"Piano2", "GroupBox13", {32, 16, 25, 81}},
    {"Piano12", "GroupBox13", {176, 16, 25, 81}},  {"Piano22", "GroupBox13", {312, 16, 17, 49}},
    {"Piano24", "GroupBox13", {344, 16, 25, 81}},  {"GroupBox14", "Form1", {120, 160, 233, 49}},
    {"Button24", "GroupBox14", {8, 16, 73, 25}},   {"Button22", "GroupBox14", {80, 16, 73, 25}},
    {"Button1", "GroupBox14", {152, 16, 73, 25}},  {"GroupBox5", "Form1", {360, 160, 137, 49}},
    {"Button4", "GroupBox5", {8, 16, 121, 25}},
};

}

TEST_F(FormTest, ControlsSitAsLaidOutInsideTheFivePixelBorder)
{
    CreateForm();
    for (const TPlacement& Placement : Placements) {
        SCOPED_TRACE(Placement.Name);
        auto* Control = Form1->findChild<QWidget*>(Placement.Name);
        ASSERT_NE(Control, nullptr);
        EXPECT_EQ(Control->parentWidget()->objectName(), Placement.Parent);
        const int Border = Control->parentWidget() == Form1 ? WindowBorderWidth : 0;
        EXPECT_EQ(Control->geometry(), Placement.Geometry.translated(Border, Border));
    }
    EXPECT_EQ(Form1->size(), QSize(497 + 2 * WindowBorderWidth, 209 + 2 * WindowBorderWidth));
    EXPECT_EQ(Form1->minimumSize(), Form1->maximumSize());
    EXPECT_FALSE(Form1->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(Form1->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    for (int Offset = 0; Offset < 25; ++Offset)
        EXPECT_EQ(Form1->PianoKeys[Offset]->objectName(), QStringLiteral("Piano%1").arg(Offset));
    EXPECT_EQ(Form1->StaticText1->text(), "  File ");
    EXPECT_EQ(Form1->StaticText2->text(), "  Help ");
    EXPECT_EQ(Form1->PianoKeys[1]->text(), "|");
    EXPECT_EQ(Form1->font().pixelSize(), 11);
}

TEST_F(FormTest, StartUpOpensTheStoredPortAndSendsOnlyWhatApplyingTheSettingsSends)
{
    CreateFormKeepingTraffic();
    const std::string Program = ProgramChange(1, MIDIPatch.ProgramOf(0, 0));
    EXPECT_EQ(Sent(), (std::vector<std::string>{Program, Program}));
    EXPECT_EQ(Kinds(Service.Calls),
              (std::vector<TCallKind>{TCallKind::GetNumDevs, TCallKind::GetDevCaps, TCallKind::GetDevCaps,
                                      TCallKind::Open, TCallKind::ShortMsg, TCallKind::ShortMsg}));
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
    EXPECT_TRUE(Errors.Messages.empty());

    ASSERT_EQ(Form1->ComboBox1->count(), 3);
    EXPECT_EQ(Form1->ComboBox1->itemText(0), "Windows MIDI Mapper");
    EXPECT_EQ(Form1->ComboBox1->itemText(2), "Synth Two");
    EXPECT_EQ(Form1->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox3->currentIndex(), 0);
    ASSERT_EQ(Form1->ComboBox5->count(), 12);
    EXPECT_EQ(Form1->ComboBox5->itemText(0), "Ch:01");
    EXPECT_EQ(Form1->ComboBox5->itemText(11), "Ch:12");
    EXPECT_EQ(Form1->ComboBox5->toolTip(), "Controller Channel: 1");

    EXPECT_TRUE(Form1->TrackBar1->isEnabled());
    EXPECT_EQ(Form1->TrackBar1->minimum(), 23);
    EXPECT_EQ(Form1->TrackBar1->maximum(), 103);
    EXPECT_EQ(Form1->TrackBar1->value(), 103);
    EXPECT_EQ(Form1->TrackBar1->toolTip(), "Voice Volume: 103");
    EXPECT_EQ(Form1->TrackBar2->maximum(), 127);
    EXPECT_EQ(Form1->TrackBar2->toolTip(), "Voice Velocity: 0");
    EXPECT_EQ(Form1->TrackBar1->tickInterval(), 8);

    EXPECT_EQ(Form1->PianoKeys[0]->toolTip(), "C4");
    EXPECT_EQ(Form1->PianoKeys[1]->toolTip(), "C#4");
    EXPECT_EQ(Form1->PianoKeys[24]->toolTip(), "C6");
    EXPECT_EQ(Form1->OctaveButtons[0]->toolTip(), "Ocatave: 1 - 2");
    EXPECT_EQ(Form1->OctaveButtons[7]->toolTip(), "Ocatave: 8 - 9");
    for (int Index = 0; Index < 8; ++Index) {
        const QPushButton* Button = Form1->OctaveButtons[Index];
        EXPECT_EQ(Button->font().bold(), Index == 4);
        EXPECT_EQ(Button->palette().color(QPalette::ButtonText), Index == 4 ? QColor(Qt::black) : DimColor);
    }
}

TEST_F(FormTest, ChannelTenStoredDisablesTheInstrumentListsUntilAnotherChannelIsChosen)
{
    KeyboardConfig.SetChannel(10);
    CreateFormKeepingTraffic();
    const int32_t Program = MIDIPatch.ProgramOf(0, 0);
    EXPECT_EQ(Sent(), std::vector<std::string>{ProgramChange(10, Program)});
    for (QComboBox* List : {Form1->ComboBox2, Form1->ComboBox3}) {
        EXPECT_FALSE(List->isEnabled());
        EXPECT_EQ(List->currentIndex(), -1);
    }

    Service.ClearRecords();
    Choose(Form1->ComboBox5, 2);
    EXPECT_EQ(KeyboardConfig.GetChannel(), 3);
    EXPECT_EQ(Sent(), std::vector<std::string>{ProgramChange(3, Program)});
    EXPECT_TRUE(Form1->ComboBox2->isEnabled());
    EXPECT_EQ(Form1->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox3->currentIndex(), 0);
}

TEST_F(FormTest, AChannelAboveTwelveShowsNoSelection)
{
    KeyboardConfig.SetChannel(13);
    CreateForm();
    EXPECT_EQ(Form1->ComboBox5->currentIndex(), -1);
    EXPECT_EQ(Form1->ComboBox5->toolTip(), "Controller Channel: 0");
    EXPECT_EQ(KeyboardConfig.GetChannel(), 13);
}

TEST_F(FormTest, AStoredDeviceOutsideTheListFallsBackToTheMapper)
{
    KeyboardConfig.SetDeviceID(7);
    CreateFormKeepingTraffic();
    EXPECT_EQ(Form1->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 0);
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
}

TEST_F(FormTest, ASettingsFileThatCannotBeWrittenAtCreationIsReportedAndTheWindowOpens)
{
    KeyboardConfig.SetDeviceID(7);
    // A full disk makes every write fail.
    const TFullDisk Full(KeyboardConfig.Ini->FileName());
    CreateFormKeepingTraffic();
    ASSERT_NE(Form1, nullptr);
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Unable to write to " + (Folder / "Setup.ini").string()});
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 7);
}

TEST_F(FormTest, ChoosingAnotherDeviceClosesTheOldPortBeforeOpeningTheNew)
{
    CreateForm();
    Choose(Form1->ComboBox1, 2);
    const auto Calls = Service.Calls;
    ASSERT_EQ(Kinds(Calls), (std::vector<TCallKind>{TCallKind::Close, TCallKind::Open, TCallKind::ShortMsg}));
    EXPECT_EQ(Calls[0].DeviceID, -1);
    EXPECT_EQ(Calls[1].DeviceID, 1);
    EXPECT_EQ(Service.SentTo(1), std::vector<uint32_t>{0xC0u | uint32_t(MIDIPatch.ProgramOf(0, 0)) << 8});
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 2);
}

TEST_F(FormTest, ChoosingAnotherDeviceEndsSoundingNotesOnThePortThatStartedThem)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    Choose(Form1->ComboBox1, 1);
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Service.SentTo(-1), (std::vector<uint32_t>{0x673090, 0x003080}));
    EXPECT_EQ(Service.SentTo(0).size(), 1u); // the new port's program change only
}

TEST_F(FormTest, AKeyHeldAcrossAnOctaveChangeEndsTheNoteItStarted)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    Click(Form1->OctaveButtons[6]);
    SendKey(QEvent::KeyPress, Qt::Key_Z, ScanZ, Qt::NoModifier, true);
    ReleaseKey(Qt::Key_Z, ScanZ);
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00", "90 48 67"}));
    EXPECT_TRUE(MIDIPiano.SustainedNotes.empty());
}

TEST_F(FormTest, ChangingTheChannelEndsNotesOnTheOldChannelFirst)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    Service.ClearRecords();
    Choose(Form1->ComboBox5, 3);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 30 00", ProgramChange(4, MIDIPatch.ProgramOf(0, 0))}));
    EXPECT_EQ(KeyboardConfig.GetChannel(), 4);
    ReleaseKey(Qt::Key_Z, ScanZ);
    Service.ClearRecords();
    Choose(Form1->ComboBox5, 9);
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(Form1->ComboBox3->isEnabled());
}

TEST_F(FormTest, ChoosingAGroupSelectsItsFirstVoiceAndSendsItsProgram)
{
    ASSERT_GE(MIDIPatch.GroupPrograms.size(), 2u);
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    Service.ClearRecords();
    Choose(Form1->ComboBox2, 1);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 30 00", ProgramChange(1, MIDIPatch.ProgramOf(1, 0))}));
    EXPECT_EQ(KeyboardConfig.GetGroup(), 1);
    EXPECT_EQ(KeyboardConfig.GetVoice(), 0);
    EXPECT_EQ(Form1->ComboBox3->count(), static_cast<int>(MIDIPatch.GroupVoiceNames(1).size()));
}

TEST_F(FormTest, ResetStopsNotesSilencesOpenPortsAndReopensTheCurrentOne)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    Service.ClearRecords();
    Click(Form1->Button2);
    std::vector<std::string> Expected{"80 30 00"};
    for (int Channel = 0; Channel < 16; ++Channel) {
        char Text[12];
        std::snprintf(Text, sizeof Text, "%02X 7B 00", 0xB0 + Channel);
        Expected.push_back(Text);
    }
    Expected.push_back(ProgramChange(1, MIDIPatch.ProgramOf(0, 0)));
    EXPECT_EQ(Sent(), Expected);
    const auto Calls = Service.Calls;
    ASSERT_EQ(Calls.size(), 20u);
    EXPECT_EQ(Calls[17].Kind, TCallKind::Close);
    EXPECT_EQ(Calls[18].Kind, TCallKind::Open);
    EXPECT_EQ(Calls[18].DeviceID, -1);
}

TEST_F(FormTest, KeysPlayNotesAtTheStoredOctave)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
}

TEST_F(FormTest, TabArrowsEnterAndEscapePlayAndMoveNoFocus)
{
    CreateForm();
    ASSERT_EQ(QApplication::focusWidget(), Form1);
    const std::pair<int, quint32> Keys[] = {
        {Qt::Key_Tab, ScanTab}, {Qt::Key_Return, ScanEnter}, {Qt::Key_Escape, ScanEscape}, {Qt::Key_Left, ScanLeft}};
    for (const auto& [Key, Scan] : Keys) {
        PressKey(Key, Scan);
        ReleaseKey(Key, Scan);
    }
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 49 67", "80 49 00", "90 4A 67", "80 4A 00", "90 4B 67",
                                                "80 4B 00", "90 4C 67", "80 4C 00"}));
    EXPECT_EQ(QApplication::focusWidget(), Form1);
    EXPECT_TRUE(Form1->isVisible());
}

TEST_F(FormTest, AnAutoRepeatedReleaseIsIgnored)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    SendKey(QEvent::KeyRelease, Qt::Key_Z, ScanZ, Qt::NoModifier, true);
    SendKey(QEvent::KeyPress, Qt::Key_Z, ScanZ, Qt::NoModifier, true);
    EXPECT_EQ(Sent(), std::vector<std::string>{"90 30 67"});
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
}

TEST_F(FormTest, APressOfAKeyAlreadyDownIsARepeatEvenAfterItsNoteWasStopped)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    // The X server's detectable auto-repeat sends repeats as plain presses.
    PressKey(Qt::Key_Z, ScanZ);
    Choose(Form1->ComboBox5, 1);
    PressKey(Qt::Key_Z, ScanZ);
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00", ProgramChange(2, MIDIPatch.ProgramOf(0, 0))}));
}

TEST_F(FormTest, AKeyPressedWithShiftAndReleasedWithoutEndsItsNote)
{
    CreateForm();
    PressKey(Qt::Key_At, ScanDigit2, Qt::ShiftModifier);
    ReleaseKey(Qt::Key_2, ScanDigit2);
    // The same without a native code: the Qt key names the key.
    PressKey(Qt::Key_At, 0, Qt::ShiftModifier);
    ReleaseKey(Qt::Key_2, 0);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 3D 67", "80 3D 00", "90 3D 67", "80 3D 00"}));
}

TEST_F(FormTest, AltAccentsAndCtrlSoftensOneNote)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ, Qt::AltModifier);
    ReleaseKey(Qt::Key_Z, ScanZ, Qt::AltModifier);
    PressKey(Qt::Key_Z, ScanZ, Qt::ControlModifier);
    ReleaseKey(Qt::Key_Z, ScanZ, Qt::ControlModifier);
    PressKey(Qt::Key_Z, ScanZ, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 7F", "80 30 00", "90 30 50", "80 30 00", "90 30 67"}));
}

TEST_F(FormTest, LosingTheActiveWindowReleasesTheKeysStillDown)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    PressKey(Qt::Key_X, ScanX);
    QWidget Other;
    Other.show();
    Other.activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(Form1->isActiveWindow());
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 32 67", "80 32 00", "80 30 00"}));
    Form1->activateWindow();
    QApplication::processEvents();
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent().size(), 4u);
}

TEST_F(FormTest, EachMouseButtonEndsItsOwnNote)
{
    CreateForm();
    MousePress(Form1->PianoKeys[0], Qt::LeftButton);
    MousePress(Form1->PianoKeys[4], Qt::RightButton);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 34 67"}));
    MouseRelease(Form1->PianoKeys[4], Qt::RightButton);
    EXPECT_EQ(Sent().back(), "80 34 00");
    MouseRelease(Form1->PianoKeys[0], Qt::LeftButton);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 34 67", "80 34 00", "80 30 00"}));
}

TEST_F(FormTest, AReleaseOverATrackBarEndsThatButtonsNote)
{
    CreateForm();
    MousePress(Form1->PianoKeys[0], Qt::LeftButton);
    MousePress(Form1->PianoKeys[2], Qt::MiddleButton);
    const QPoint Centre = Form1->TrackBar1->rect().center();
    QMouseEvent Release(QEvent::MouseButtonRelease, Centre, Form1->TrackBar1->mapToGlobal(Centre), Qt::MiddleButton,
                        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form1->TrackBar1, &Release);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 32 67", "80 32 00"}));
}

TEST_F(FormTest, SustainKeepsMouseNotesUntilTheNextFreshClick)
{
    CreateForm();
    Click(Form1->Button22);
    EXPECT_TRUE(KeyboardConfig.GetSustain());
    EXPECT_EQ(Form1->Button22->palette().color(QPalette::ButtonText), QColor(Qt::black));
    Click(Form1->PianoKeys[0]);
    Click(Form1->PianoKeys[2]);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00", "90 32 67"}));
    Service.ClearRecords();
    MousePress(Form1->PianoKeys[4], Qt::LeftButton);
    MousePress(Form1->PianoKeys[5], Qt::RightButton);
    MouseRelease(Form1->PianoKeys[5], Qt::RightButton);
    MouseRelease(Form1->PianoKeys[4], Qt::LeftButton);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 32 00", "90 34 67", "90 35 67"}));
}

TEST_F(FormTest, AMouseNoteOutlivesAnOctaveChange)
{
    CreateForm();
    MousePress(Form1->PianoKeys[0], Qt::LeftButton);
    MousePress(Form1->OctaveButtons[5], Qt::RightButton);
    MouseRelease(Form1->OctaveButtons[5], Qt::RightButton);
    EXPECT_EQ(KeyboardConfig.GetOctave(), 5);
    EXPECT_EQ(Form1->PianoKeys[0]->toolTip(), "C5");
    EXPECT_EQ(Form1->PianoKeys[24]->toolTip(), "C7");
    EXPECT_TRUE(Form1->OctaveButtons[5]->font().bold());
    MouseRelease(Form1->PianoKeys[0], Qt::LeftButton);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent().back(), "90 3C 67");
}

TEST_F(FormTest, AllNotesOffEndsMouseNotesOnly)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    MousePress(Form1->PianoKeys[4], Qt::LeftButton);
    MouseRelease(Form1->PianoKeys[4], Qt::LeftButton);
    Click(Form1->Button22);
    Click(Form1->PianoKeys[7]);
    Click(Form1->Button4);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 34 67", "80 34 00", "90 37 67", "80 37 00"}));
}

TEST_F(FormTest, SoftAndAccentExcludeEachOther)
{
    CreateForm();
    Click(Form1->Button24);
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    Click(Form1->Button1);
    EXPECT_TRUE(KeyboardConfig.GetAccent());
    EXPECT_FALSE(KeyboardConfig.GetSoft());
    EXPECT_EQ(Form1->Button1->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(Form1->Button24->palette().color(QPalette::ButtonText), DimColor);
    Click(Form1->Button24);
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    EXPECT_EQ(Form1->Button1->palette().color(QPalette::ButtonText), DimColor);
    Click(Form1->Button24);
    EXPECT_FALSE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(FormTest, ASoftStoredWithAccentWinsAtStartUp)
{
    KeyboardConfig.SetAccent(true);
    KeyboardConfig.SetSoft(true);
    CreateForm();
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    EXPECT_EQ(Form1->Button1->palette().color(QPalette::ButtonText), DimColor);
}

TEST_F(FormTest, TrackBarsStoreEveryPosition)
{
    CreateForm();
    Form1->TrackBar1->setValue(60);
    Form1->TrackBar2->setValue(12);
    EXPECT_EQ(KeyboardConfig.GetVolume(), 60);
    EXPECT_EQ(KeyboardConfig.GetFade(), 12);
    EXPECT_EQ(Form1->TrackBar1->toolTip(), "Voice Volume: 60");
    PressKey(Qt::Key_Z, ScanZ);
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 3C", "80 30 0C"}));
}

TEST_F(FormTest, TheFileLabelStopsEveryNoteAndItsMenuExits)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    MousePress(Form1->StaticText1, Qt::LeftButton);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
    EXPECT_TRUE(Form1->PopupMenu1->isVisible());
    EXPECT_EQ(Form1->PopupMenu1->pos(), Form1->StaticText1->mapToGlobal(QPoint(-1, -1)));
    Form1->File1->trigger();
    EXPECT_FALSE(Form1->isVisible());
}

TEST_F(FormTest, TheHelpMenuOffersItsItemsInOrder)
{
    CreateForm();
    QSignalSpy Help(Form1, &TForm1::Help1Click);
    QSignalSpy HomePage(Form1, &TForm1::ProductHomepage1Click);
    QSignalSpy About(Form1, &TForm1::About1Click);
    MousePress(Form1->StaticText2, Qt::RightButton);
    EXPECT_TRUE(Form1->PopupMenu2->isVisible());
    QStringList Captions;
    for (const QAction* Item : Form1->PopupMenu2->actions()) {
        EXPECT_FALSE(Item->isSeparator());
        Captions << Item->text();
    }
    const QString Dashes(16, QChar(0x2014));
    EXPECT_EQ(Captions, (QStringList{"Product Help", Dashes, "Product Home Page", Dashes, "About Klavora"}));
    Form1->Help1->trigger();
    Form1->ProductHomepage1->trigger();
    Form1->About1->trigger();
    Form1->N1->trigger();
    EXPECT_EQ(Help.count() + HomePage.count() + About.count(), 3);
    EXPECT_EQ(About.count(), 1);
}

TEST_F(FormTest, AnErrorRaisedByAHandlerIsShownAndPlayingGoesOn)
{
    CreateForm();
    const std::filesystem::path Settings = Folder / "Setup.ini";
    std::filesystem::rename(Settings, Folder / "Setup.saved");
    std::filesystem::create_directory(Settings);
    Click(Form1->Button22);
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_EQ(Errors.Messages[0], "Unable to write to " + Settings.string());
    std::filesystem::remove(Settings);
    std::filesystem::rename(Folder / "Setup.saved", Settings);
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent(), std::vector<std::string>{"90 30 67"});
}

TEST_F(FormTest, TheWheelOverAListOrATrackBarChangesNothing)
{
    KeyboardConfig.SetChannel(3);
    CreateForm();
    const std::string SettingsBefore = FileText(Folder / "Setup.ini");
    for (QWidget* Control : std::initializer_list<QWidget*>{Form1->ComboBox1, Form1->ComboBox2, Form1->ComboBox3,
                                                           Form1->ComboBox5, Form1->TrackBar1, Form1->TrackBar2}) {
        for (const int Notches : {-1, 1, -3}) {
            const QPointF Centre = Control->rect().center();
            QWheelEvent Wheel(Centre, Control->mapToGlobal(Centre), QPoint(), QPoint(0, 120 * Notches), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Control, &Wheel);
        }
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(FileText(Folder / "Setup.ini"), SettingsBefore);
    EXPECT_EQ(Form1->ComboBox5->currentIndex(), 2);
    EXPECT_EQ(Form1->TrackBar1->value(), 103);
}

TEST_F(FormTest, DraggingATrackBarWorksButLeavesTheKeysToTheWindow)
{
    CreateForm();
    QSlider* Bar = Form1->TrackBar1;
    const int Y = Bar->height() / 2;
    QTest::mousePress(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(Bar->width() - 6, Y));
    QTest::mouseMove(Bar, QPoint(6, Y));
    QTest::mouseRelease(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(6, Y));
    EXPECT_LT(KeyboardConfig.GetVolume(), 40);
    EXPECT_EQ(QApplication::focusWidget(), Form1);
    PressKey(Qt::Key_Left, ScanLeft);
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Bar->value(), KeyboardConfig.GetVolume());
}

TEST_F(FormTest, AListPopUpTakingTheKeysReleasesTheKeysDown)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    Form1->ComboBox2->showPopup();
    // The release goes to the pop-up; the note must not stay behind.
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
    Form1->ComboBox2->hidePopup();
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent().back(), "90 30 67");
    EXPECT_EQ(Form1->ComboBox2->currentIndex(), 0);
}

TEST_F(FormTest, AKeyOrButtonReleasedWhileAnErrorBoxIsUpEndsItsNoteOnceTheBoxIsGone)
{
    CreateForm();
    ErrorBoxStart();
    // While the box of the failed Note On is up, the release goes to the box
    // (a key) or to no window (a mouse button); then the box is dismissed.
    std::function<void()> ReleaseUnderTheBox;
    int Boxes = 0;
    QTimer Watcher;
    QObject::connect(&Watcher, &QTimer::timeout, [&] {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (Box == nullptr)
            return;
        ++Boxes;
        ReleaseUnderTheBox();
        Box->button(QMessageBox::Ok)->click();
    });
    Watcher.start(10);

    // 67: the hardware is busy; the Note Off goes out.
    Service.ShortMsgResults = {67};
    ReleaseUnderTheBox = [] {
        QKeyEvent Release(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, ScanZ, 0, 0);
        QApplication::sendEvent(QApplication::activeModalWidget(), &Release);
    };
    PressKey(Qt::Key_Z, ScanZ);
    QApplication::processEvents();
    EXPECT_EQ(Boxes, 1);
    EXPECT_EQ(Sent(), std::vector<std::string>{"80 30 00"});

    Service.ShortMsgResults = {67};
    ReleaseUnderTheBox = [this] { MouseRelease(Form1->PianoKeys[2], Qt::LeftButton); };
    MousePress(Form1->PianoKeys[2], Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(Boxes, 2);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 30 00", "80 32 00"}));

    // On X11 a release that reaches the window before the box has the
    // keyboard is dropped by Qt, the window being blocked: the server's event
    // still counts.
    Service.ShortMsgResults = {67};
    ReleaseUnderTheBox = [] {
        xcb_key_release_event_t Release{};
        Release.response_type = XCB_KEY_RELEASE;
        Release.detail = ScanX;
        qintptr Result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &Release, &Result);
    };
    PressKey(Qt::Key_X, ScanX);
    QApplication::processEvents();
    EXPECT_EQ(Sent().back(), "80 32 00");
    EXPECT_EQ(Sent().size(), 3u);

    // A key held through the box keeps sounding until its release.
    Service.ShortMsgResults = {0, 67};
    ReleaseUnderTheBox = [] {};
    PressKey(Qt::Key_X, ScanX);
    PressKey(Qt::Key_Z, ScanZ);
    QApplication::processEvents();
    EXPECT_EQ(Sent().back(), "90 32 67");
    ReleaseKey(Qt::Key_X, ScanX);
    EXPECT_EQ(Sent().back(), "80 32 00");
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Sent().back(), "80 30 00");
    Watcher.stop();
    ErrorBoxStop();
    EXPECT_TRUE(MIDIPiano.HeldNotes.empty());
    EXPECT_EQ(MIDIPiano.LeftNote, -1);
}

TEST_F(FormTest, PCKeysLightTheirKeysUntilTheirNoteOffsAndSustainKeepsThemLit)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    PressKey(Qt::Key_2, ScanDigit2);
    EXPECT_EQ(LitKeys(), (TOffsets{0, 13}));
    SendKey(QEvent::KeyPress, Qt::Key_Z, ScanZ, Qt::NoModifier, true);
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(LitKeys(), TOffsets{13});
    // Shift at release keeps the note until the next key after all keys are up.
    ReleaseKey(Qt::Key_2, ScanDigit2, Qt::ShiftModifier);
    EXPECT_EQ(LitKeys(), TOffsets{13});
    PressKey(Qt::Key_X, ScanX);
    EXPECT_EQ(LitKeys(), TOffsets{2});
    ReleaseKey(Qt::Key_X, ScanX);
    EXPECT_TRUE(LitKeys().empty());

    // Sustain keeps released notes lit until the space bar.
    Click(Form1->Button22);
    PressKey(Qt::Key_Z, ScanZ);
    PressKey(Qt::Key_X, ScanX);
    ReleaseKey(Qt::Key_Z, ScanZ);
    ReleaseKey(Qt::Key_X, ScanX);
    EXPECT_EQ(LitKeys(), (TOffsets{0, 2}));
    PressKey(Qt::Key_Space, ScanSpace);
    EXPECT_TRUE(LitKeys().empty());

    // A note above the keys sounds and lights nothing.
    PressKey(Qt::Key_Tab, ScanTab);
    EXPECT_TRUE(MIDIPiano.IsSounding(48 + 25));
    EXPECT_TRUE(LitKeys().empty());

    // Keys still down when the window loses the keyboard are released.
    Click(Form1->Button22);
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(LitKeys(), TOffsets{0});
    QWidget Other;
    Other.show();
    Other.activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(LitKeys().empty());
}

TEST_F(FormTest, EachMouseButtonLightsTheKeyItHoldsAndAKeyStaysLitWhileAnyOfItsNotesSounds)
{
    CreateForm();
    MousePress(Form1->PianoKeys[0], Qt::LeftButton);
    MousePress(Form1->PianoKeys[3], Qt::MiddleButton);
    MousePress(Form1->PianoKeys[7], Qt::RightButton);
    EXPECT_EQ(LitKeys(), (TOffsets{0, 3, 7}));
    MouseRelease(Form1->PianoKeys[3], Qt::MiddleButton);
    EXPECT_EQ(LitKeys(), (TOffsets{0, 7}));
    MouseRelease(Form1->PianoKeys[7], Qt::RightButton);
    EXPECT_EQ(LitKeys(), TOffsets{0});

    // Z plays the note the left button holds: the key stays lit until both end.
    PressKey(Qt::Key_Z, ScanZ);
    MouseRelease(Form1->PianoKeys[0], Qt::LeftButton);
    EXPECT_EQ(LitKeys(), TOffsets{0});
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_TRUE(LitKeys().empty());

    // Under Sustain a mouse note stays lit until the next fresh click or "All Notes Off".
    Click(Form1->Button22);
    Click(Form1->PianoKeys[24]);
    EXPECT_EQ(LitKeys(), TOffsets{24});
    Click(Form1->PianoKeys[22]);
    EXPECT_EQ(LitKeys(), TOffsets{22});
    Click(Form1->Button4);
    EXPECT_TRUE(LitKeys().empty());
}

TEST_F(FormTest, EverythingThatStopsAllNotesDarkensEveryKey)
{
    CreateForm();
    const std::pair<const char*, std::function<void()>> Stops[] = {
        {"channel", [&] { Choose(Form1->ComboBox5, 2); }},
        {"voice", [&] { Choose(Form1->ComboBox3, 1); }},
        {"device", [&] { Choose(Form1->ComboBox1, 1); }},
        {"Reset", [&] { Click(Form1->Button2); }},
        {"File menu", [&] {
             MousePress(Form1->StaticText1, Qt::LeftButton);
             Form1->PopupMenu1->hide();
         }},
    };
    for (const auto& [Name, Stop] : Stops) {
        SCOPED_TRACE(Name);
        PressKey(Qt::Key_Z, ScanZ);
        PressKey(Qt::Key_X, ScanX);
        ReleaseKey(Qt::Key_X, ScanX, Qt::ShiftModifier);
        MousePress(Form1->PianoKeys[4], Qt::LeftButton);
        ASSERT_EQ(LitKeys(), (TOffsets{0, 2, 4}));
        Stop();
        EXPECT_TRUE(LitKeys().empty());
        MouseRelease(Form1->PianoKeys[4], Qt::LeftButton);
        ReleaseKey(Qt::Key_Z, ScanZ);
    }
    delete Form1;
    Form1 = nullptr;
    EXPECT_EQ(MIDIPiano.Observer, nullptr);
}

TEST_F(FormTest, AnOctaveChangeShowsAHeldNoteAtItsOwnKeyOrOnNone)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(LitKeys(), TOffsets{0});
    Click(Form1->OctaveButtons[3]);
    EXPECT_EQ(LitKeys(), TOffsets{12});
    Click(Form1->OctaveButtons[6]);
    EXPECT_TRUE(LitKeys().empty());
    Click(Form1->OctaveButtons[4]);
    EXPECT_EQ(LitKeys(), TOffsets{0});
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_TRUE(LitKeys().empty());
}

TEST_F(FormTest, AWindowMadeWhileNoWriteSucceedsShowsEverySettingInForce)
{
    // A device past the list and both Soft and Accent on: creating the window rewrites them.
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
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Unable to write to " + (Folder / "Setup.ini").string()});
    EXPECT_EQ(Form1->ComboBox1->count(), 3);
    EXPECT_EQ(Form1->ComboBox1->currentIndex(), -1) << "no port is at the stored position";
    EXPECT_EQ(Form1->ComboBox2->count(), static_cast<int>(MIDIPatch.GroupNames->size()));
    EXPECT_EQ(Form1->ComboBox2->currentIndex(), 2);
    EXPECT_EQ(Form1->ComboBox3->count(), static_cast<int>(MIDIPatch.GroupVoiceNames(2).size()));
    EXPECT_EQ(Form1->ComboBox3->currentIndex(), 1);
    EXPECT_EQ(Form1->ComboBox5->currentIndex(), 2);
    EXPECT_EQ(Form1->TrackBar1->value(), 50);
    EXPECT_EQ(Form1->TrackBar1->toolTip(), "Voice Volume: 50");
    EXPECT_EQ(Form1->TrackBar2->value(), 20);
    EXPECT_TRUE(Form1->OctaveButtons[2]->font().bold());
    EXPECT_EQ(Form1->PianoKeys[0]->toolTip(), "C2");
    EXPECT_EQ(Form1->Button24->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(Form1->Button1->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(Form1->Button22->palette().color(QPalette::ButtonText), DimColor);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 7);
    EXPECT_TRUE(KeyboardConfig.GetAccent());
}

TEST_F(FormTest, AChangeThatCannotBeStoredIsReportedOnceAndTheControlShowsTheValueInForce)
{
    CreateForm();
    const TFullDisk Full(KeyboardConfig.Ini->FileName());
    Form1->TrackBar1->setValue(60);
    EXPECT_EQ(Form1->TrackBar1->value(), 103);
    EXPECT_EQ(Form1->TrackBar1->toolTip(), "Voice Volume: 103");

    Choose(Form1->ComboBox2, 3);
    EXPECT_EQ(Form1->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox3->itemText(0), QString::fromStdString(MIDIPatch.GroupVoiceNames(0).front()));

    Choose(Form1->ComboBox5, 9);
    EXPECT_EQ(Form1->ComboBox5->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox5->toolTip(), "Controller Channel: 1");
    EXPECT_TRUE(Form1->ComboBox2->isEnabled());
    EXPECT_EQ(Form1->ComboBox3->currentIndex(), 0);

    Click(Form1->OctaveButtons[6]);
    EXPECT_TRUE(Form1->OctaveButtons[4]->font().bold());
    EXPECT_FALSE(Form1->OctaveButtons[6]->font().bold());

    Click(Form1->Button22);
    EXPECT_EQ(Form1->Button22->palette().color(QPalette::ButtonText), DimColor);

    // The port in use stays open: the notes still go to it.
    Choose(Form1->ComboBox1, 2);
    EXPECT_EQ(Form1->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});
    Service.ClearRecords();
    PressKey(Qt::Key_Z, ScanZ);
    EXPECT_EQ(Service.SentTo(-1), std::vector<uint32_t>{0x673090});

    EXPECT_EQ(Errors.Messages,
              std::vector<std::string>(6, "Unable to write to " + (Folder / "Setup.ini").string()));
}
