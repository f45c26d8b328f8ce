#define QTEST_QPA_MOUSE_HANDLING
#include "FormFixture.h"

#include <fstream>
#include <memory>

#include <unistd.h>

#include <QComboBox>
#include <QTest>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"
#include "ui/qt/KlavoraApplication.h"
#include "ui/qt/KlavoraForm.h"

namespace {

// Z, X and the digit 2 play offsets 0, 2 and 13; Tab, Enter, Escape and the
// left arrow play 25..28, so that they can be heard reaching the window.
constexpr const char* TestKeymap =
    "\n[Test]\n90=0\n88=2\n50=13\n9=25\n13=26\n27=27\n37=28\n";

}

// Owns the application object until every test has run: Qt must not be
// torn down by the exit handlers.
class TApplicationEnvironment : public testing::Environment {
public:
    void TearDown() override { Application.reset(); }

    std::unique_ptr<TKlavoraApplication> Application;
};

void EnsureApplication()
{
    static int Argc = 1;
    static char Name[] = "test_ui";
    static char* Argv[] = {Name, nullptr};
    static auto* Environment =
        static_cast<TApplicationEnvironment*>(testing::AddGlobalTestEnvironment(new TApplicationEnvironment));
    if (!Environment->Application)
        Environment->Application = std::make_unique<TKlavoraApplication>(Argc, Argv);
}

void FormTest::SetUp()
{
    EnsureApplication();
    Folder = std::filesystem::temp_directory_path() /
             ("klavora-ui-" + std::to_string(::getpid()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
    const std::filesystem::path Data = std::filesystem::path(KLAVORA_SOURCE_DIR) / "data";
    for (const char* Name : {"Keyboard.ini", "GeneralMIDI.ini"})
        std::filesystem::copy_file(Data / Name, Folder / Name);
    std::ofstream(Folder / "Keyboard.ini", std::ios::app) << TestKeymap;
    SetProgramFolder(Folder.string());

    Service.DeviceNames = {"Synth One", "Synth Two"};
    KlavoraConfigStart();
    KeyboardConfig.SetMap("Test");
    MIDIKeymappingStart();
    MIDIDevicesStart();
    MIDIPianoStart();
}

void FormTest::TearDown()
{
    // A button a test left down would be seen as held by the next test.
    for (Qt::MouseButton Button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
        if (Form1 != nullptr && QGuiApplication::mouseButtons().testFlag(Button))
            QTest::mouseRelease(Form1, Button);
    delete Form1;
    Form1 = nullptr;
    MIDIPianoStop();
    MIDIDevicesStop();
    MIDIKeymappingStop();
    KlavoraConfigStop();
    SetProgramFolder("");
    std::filesystem::remove_all(Folder);
}

void FormTest::CreateFormKeepingTraffic()
{
    Form1 = new TForm1;
    Form1->show();
    Form1->activateWindow();
    QApplication::processEvents();
}

void FormTest::CreateForm()
{
    CreateFormKeepingTraffic();
    Service.ClearRecords();
}

void FormTest::SendKey(QEvent::Type Type, int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers, bool AutoRepeat)
{
    QKeyEvent Event(Type, QtKey, Modifiers, ScanCode, 0, 0, QString(), AutoRepeat);
    QApplication::sendEvent(Form1->windowHandle(), &Event);
}

void FormTest::PressKey(int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers)
{
    SendKey(QEvent::KeyPress, QtKey, ScanCode, Modifiers);
}

void FormTest::ReleaseKey(int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers)
{
    SendKey(QEvent::KeyRelease, QtKey, ScanCode, Modifiers);
}

void FormTest::MousePress(QWidget* Widget, Qt::MouseButton Button)
{
    // Low on the key, below any black key lying over a white one.
    QTest::mousePress(Widget, Button, Qt::NoModifier, QPoint(Widget->width() / 2, Widget->height() - 4));
}

void FormTest::MouseRelease(QWidget* Widget, Qt::MouseButton Button)
{
    QTest::mouseRelease(Widget, Button, Qt::NoModifier, QPoint(Widget->width() / 2, Widget->height() - 4));
}

void FormTest::Click(QWidget* Widget, Qt::MouseButton Button)
{
    MousePress(Widget, Button);
    MouseRelease(Widget, Button);
}

void FormTest::Choose(QWidget* List, int Index)
{
    auto* Box = static_cast<QComboBox*>(List);
    Box->setCurrentIndex(Index);
    emit Box->activated(Index);
}
