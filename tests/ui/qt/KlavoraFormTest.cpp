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
#include "support/VCLRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/qt/ErrorBox.h"
#include "ui/qt/KlavoraForm.h"

namespace {

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

TEST_F(FormTest, KeyEventsReachTheHandlersByThePhysicalKeyAndItsModifiers)
{
    CreateForm();
    PressKey(Qt::Key_Z, ScanZ, Qt::AltModifier);
    EXPECT_EQ(LitKeys(), TOffsets{0});
    // A release the platform calls a repeat leaves the key down.
    SendKey(QEvent::KeyRelease, Qt::Key_Z, ScanZ, Qt::NoModifier, true);
    SendKey(QEvent::KeyPress, Qt::Key_Z, ScanZ, Qt::NoModifier, true);
    ReleaseKey(Qt::Key_Z, ScanZ);
    EXPECT_TRUE(LitKeys().empty());
    // Shift changes the character, not the key; without a native code the Qt key names it.
    PressKey(Qt::Key_At, ScanDigit2, Qt::ShiftModifier | Qt::ControlModifier);
    ReleaseKey(Qt::Key_2, ScanDigit2);
    PressKey(Qt::Key_At, 0, Qt::ShiftModifier);
    ReleaseKey(Qt::Key_2, 0);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 7F", "80 30 00", "90 3D 50", "80 3D 00", "90 3D 67",
                                                "80 3D 00"}));
}

TEST_F(FormTest, MouseButtonsOnTheControlsReachTheirHandlers)
{
    CreateForm();
    MousePress(Form1->PianoKeys[0], Qt::LeftButton);
    MousePress(Form1->PianoKeys[4], Qt::RightButton);
    MouseRelease(Form1->PianoKeys[4], Qt::RightButton);
    EXPECT_EQ(LitKeys(), TOffsets{0});
    // Released over a track bar, the left button's note ends there.
    const QPoint Centre = Form1->TrackBar1->rect().center();
    QMouseEvent Release(QEvent::MouseButtonRelease, Centre, Form1->TrackBar1->mapToGlobal(Centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Form1->TrackBar1, &Release);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 34 67", "80 34 00", "80 30 00"}));

    // A click at the top of a black key plays the black key lying over the white ones.
    QTest::mouseClick(Form1->GroupBox13, Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
    EXPECT_EQ(Sent().back(), "80 31 00");

    Click(Form1->Button22);
    EXPECT_TRUE(KeyboardConfig.GetSustain());
    EXPECT_EQ(Form1->Button22->palette().color(QPalette::ButtonText), QColor(Qt::black));
    Click(Form1->Button24);
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    Click(Form1->Button1);
    EXPECT_TRUE(KeyboardConfig.GetAccent());
    EXPECT_EQ(Form1->Button24->palette().color(QPalette::ButtonText), QColor(0xA0, 0xA0, 0xA4));
    Click(Form1->OctaveButtons[6]);
    EXPECT_EQ(KeyboardConfig.GetOctave(), 6);
    EXPECT_TRUE(Form1->OctaveButtons[6]->font().bold());
    EXPECT_FALSE(Form1->OctaveButtons[4]->font().bold());
    EXPECT_EQ(Form1->PianoKeys[0]->toolTip(), "C6");

    Service.ClearRecords();
    Click(Form1->PianoKeys[2]);
    Click(Form1->Button4);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 4A 7F", "80 4A 00"}));
}

TEST_F(FormTest, TheListsAndTrackBarsShowWhatTheFormHoldsAndHandOnTheUsersChanges)
{
    CreateFormKeepingTraffic();
    ASSERT_EQ(Form1->ComboBox1->count(), 3);
    EXPECT_EQ(Form1->ComboBox1->itemText(0), "Windows MIDI Mapper");
    EXPECT_EQ(Form1->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox3->currentIndex(), 0);
    EXPECT_EQ(Form1->ComboBox5->itemText(11), "Ch:12");
    EXPECT_EQ(Form1->ComboBox5->toolTip(), "Controller Channel: 1");
    EXPECT_TRUE(Form1->TrackBar1->isEnabled());
    EXPECT_EQ(Form1->TrackBar1->minimum(), 23);
    EXPECT_EQ(Form1->TrackBar1->value(), 103);
    EXPECT_EQ(Form1->TrackBar1->tickInterval(), 8);
    EXPECT_EQ(Form1->OctaveButtons[7]->toolTip(), "Ocatave: 8 - 9");

    Service.ClearRecords();
    Choose(Form1->ComboBox5, 9);
    EXPECT_EQ(KeyboardConfig.GetChannel(), 10);
    EXPECT_FALSE(Form1->ComboBox2->isEnabled());
    EXPECT_EQ(Form1->ComboBox3->currentIndex(), -1);
    Choose(Form1->ComboBox5, 2);
    Choose(Form1->ComboBox2, 1);
    EXPECT_EQ(Sent(), (std::vector<std::string>{ProgramChange(3, MIDIPatch.ProgramOf(0, 0)),
                                                ProgramChange(3, MIDIPatch.ProgramOf(1, 0))}));
    EXPECT_EQ(Form1->ComboBox3->itemText(0), QString::fromStdString(MIDIPatch.GroupVoiceNames(1).front()));
    Choose(Form1->ComboBox1, 2);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 2);

    Form1->TrackBar2->setValue(12);
    EXPECT_EQ(KeyboardConfig.GetFade(), 12);
    EXPECT_EQ(Form1->TrackBar2->toolTip(), "Voice Velocity: 12");
    // A position that cannot be stored goes back to the one in force.
    const TFullDisk Full(KeyboardConfig.Ini->FileName());
    Form1->TrackBar1->setValue(60);
    EXPECT_EQ(Form1->TrackBar1->value(), 103);
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Unable to write to " + (Folder / "Setup.ini")});
}

TEST_F(FormTest, TheHelpMenuOffersItsItemsInOrderAndTheyAct)
{
    CreateForm();
    MousePress(Form1->StaticText2, Qt::RightButton);
    EXPECT_TRUE(Form1->PopupMenu2->isVisible());
    EXPECT_EQ(Form1->PopupMenu2->pos(), Form1->StaticText2->mapToGlobal(QPoint(-1, -1)));
    QStringList Captions;
    for (const QAction* Item : Form1->PopupMenu2->actions()) {
        EXPECT_FALSE(Item->isSeparator());
        Captions << Item->text();
    }
    const QString Dashes(16, QChar(0x2014));
    EXPECT_EQ(Captions, (QStringList{"Product Help", Dashes, "Product Home Page", Dashes, "About Klavora"}));
    std::vector<std::string> Opened;
    const TShellOpener Replaced = SetShellOpener([&Opened](const std::string& Target) { Opened.push_back(Target); });
    Form1->Help1->trigger();
    Form1->N1->trigger();
    Form1->ProductHomepage1->trigger();
    SetShellOpener(Replaced);
    EXPECT_EQ(Opened, (std::vector<std::string>{Folder / "Readme.txt", HomePageAddress}));
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
    ErrorBoxStart(QtErrorBox);
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

