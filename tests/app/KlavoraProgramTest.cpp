#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "ErrorRecorder.h"
#include "RecordingMIDIOutService.h"
#include "ShippedProgramFixture.h"
#include "TemporaryFolder.h"
#include "app/KlavoraProgram.h"
#include "config/ProfileFile.h"
#include "core/MIDIPianoRoutines.h"
#include "ui/qt/AboutRoutines.h"
#include "ui/qt/KlavoraForm.h"
#include "ui/qt/SplashScreenRoutines.h"

namespace {

using TCallKind = TRecordingMIDIOutService::TCallKind;
using TTexts = std::vector<std::string>;

constexpr uint16_t VK_Z = 'Z';

// Takes the desktop's place for files and web pages.
class TUrlReceiver : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> Urls;

public slots:
    void Open(const QUrl& Url) { Urls.push_back(Url); }
};

class KlavoraProgramTest : public TShippedProgramTest {
protected:
    // Runs the program; While runs in its message loop once the window shows.
    int Run(std::function<void()> While)
    {
        static int Argc = 1;
        static char Name[] = "klavora";
        static char* Argv[] = {Name, nullptr};
        return RunKlavora(Argc, Argv, TMIDIServiceChoice::Installed, [&While] { QTimer::singleShot(0, While); });
    }

    // The calls of the run, as "Open -1", "Send 90 30 67", "Close -1".
    TTexts Traffic() const
    {
        TTexts Lines;
        for (const auto& Call : Service.Calls) {
            switch (Call.Kind) {
            case TCallKind::Open: Lines.push_back("Open " + std::to_string(Call.DeviceID)); break;
            case TCallKind::Close: Lines.push_back("Close " + std::to_string(Call.DeviceID)); break;
            case TCallKind::ShortMsg: Lines.push_back("Send " + ShortMessageText(Call.Message)); break;
            default: break;
            }
        }
        return Lines;
    }

    // The run ended with the Note Off of Z and then closed the port.
    void ExpectZEndedBeforeThePortClosed() const
    {
        const TTexts Calls = Traffic();
        ASSERT_GE(Calls.size(), 2u);
        EXPECT_EQ(Calls[Calls.size() - 2], "Send 80 30 00");
        EXPECT_EQ(Calls.back(), "Close -1");
    }
};

void PlayZ()
{
    Form1->Handlers.FormKeyDown(VK_Z, {});
}

}

TEST_F(KlavoraProgramTest, AFirstRunWritesTheSettingsPlaysAndEndsEveryNoteBeforeClosingThePort)
{
    bool SplashGoneBeforeTheWindow = false;
    const int Result = Run([&] {
        SplashGoneBeforeTheWindow = SplashScreen != nullptr && SplashScreen->isHidden() && Form1->isVisible();
        EXPECT_EQ(Form1->windowTitle(), "Klavora Lite v2.9");
        EXPECT_EQ(About->ProgramName->text(), "Klavora Lite v2.9");
        EXPECT_TRUE(About->isHidden());
        EXPECT_EQ(QCoreApplication::applicationName(), "Klavora Lite");
        PlayZ();
        Form1->close();
    });
    EXPECT_EQ(Result, 0);
    EXPECT_TRUE(SplashGoneBeforeTheWindow);
    const std::string ProgramChange = "Send C0 00";
    // Opening sends the program change, and so does applying the channel.
    EXPECT_EQ(Traffic(), (TTexts{"Open -1", ProgramChange, ProgramChange, "Send 90 30 67", "Send 80 30 00",
                                 "Close -1"}));
    EXPECT_NE(Folder.Read("Setup.ini").find("[Keyboard]\nAccent=0\nSoft=0\nChannel=1\n"), std::string::npos);
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
    EXPECT_TRUE(FileExists(Folder / "Klavora.log"));
    EXPECT_EQ(Form1, nullptr);
    EXPECT_TRUE(MIDIPiano.HeldNotes.empty());
}

TEST_F(KlavoraProgramTest, FileExitEndsTheProgramLikeClosingTheWindow)
{
    const int Result = Run([] {
        PlayZ();
        Form1->Handlers.StaticText1MouseDown();
        EXPECT_EQ(MIDIPiano.HeldNotes.size(), 0u); // opening the menu stopped the note
        Form1->PopupMenu1->hide();
        Form1->File1->trigger();
    });
    EXPECT_EQ(Result, 0);
    ExpectZEndedBeforeThePortClosed();
}

TEST_F(KlavoraProgramTest, AStopSignalEndsTheProgramEvenFromTheModalAboutBox)
{
    const int Result = Run([] {
        PlayZ();
        QTimer::singleShot(50, [] {
            EXPECT_TRUE(About->isVisible());
            std::raise(SIGTERM);
        });
        Form1->About1->trigger();
    });
    EXPECT_EQ(Result, 0);
    ExpectZEndedBeforeThePortClosed();
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
    EXPECT_EQ(std::signal(SIGTERM, SIG_DFL), SIG_DFL);
}

TEST_F(KlavoraProgramTest, TheHelpMenuOpensTheHelpTheHomePageAndTheCentredAboutBox)
{
    TUrlReceiver Receiver;
    QRect AboutPlace;
    QRect MainPlace;
    QString AboutFocus;
    Run([&] {
        for (const char* Scheme : {"file", "https"})
            QDesktopServices::setUrlHandler(Scheme, &Receiver, "Open");
        Form1->Help1->trigger();
        Form1->ProductHomepage1->trigger();
        QTimer::singleShot(50, [&] {
            AboutPlace = About->frameGeometry();
            MainPlace = Form1->frameGeometry();
            AboutFocus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget()->objectName() : QString();
            About->Button3->click();
        });
        Form1->About1->trigger();
        for (const char* Scheme : {"file", "https"})
            QDesktopServices::unsetUrlHandler(Scheme);
        Form1->close();
    });
    ASSERT_EQ(Receiver.Urls.size(), 2u);
    EXPECT_EQ(Receiver.Urls[0], QUrl::fromLocalFile(QString::fromStdString(Folder / "Readme.txt")));
    EXPECT_EQ(Receiver.Urls[1], QUrl("https://klavora.example/lite/"));
    // Centred over the main window (the offscreen platform knows frames only
    // once a window has shown, so allow for a frame's width).
    EXPECT_LE((AboutPlace.center() - MainPlace.center()).manhattanLength(), 4);
    EXPECT_EQ(AboutFocus, "Button3");
}

TEST_F(KlavoraProgramTest, TheWindowCarriesTheProgramsIconAtEverySizeAndTheDesktopEntrysName)
{
    std::vector<int> Sizes;
    QString DesktopName;
    Run([&] {
        for (const QSize& Size : Form1->windowIcon().availableSizes()) {
            EXPECT_EQ(Size.width(), Size.height());
            Sizes.push_back(Size.width());
        }
        DesktopName = QGuiApplication::desktopFileName();
        Form1->close();
    });
    std::sort(Sizes.begin(), Sizes.end());
    EXPECT_EQ(Sizes, (std::vector<int>{16, 32, 48, 64, 128}));
    EXPECT_EQ(DesktopName, KLAVORA_APP_ID);
}

#include "KlavoraProgramTest.moc"

TEST_F(KlavoraProgramTest, OnceTheWindowClosesAFailureGoesToTheErrorStreamNotToABox)
{
    int Boxes = 0;
    testing::internal::CaptureStderr();
    const int Result = Run([this, &Boxes] {
        // Dismisses every box, as long as the application lives.
        auto* Watcher = new QTimer(qApp);
        QObject::connect(Watcher, &QTimer::timeout, [&Boxes] {
            if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++Boxes;
                Box->button(QMessageBox::Ok)->click();
            }
        });
        Watcher->start(10);
        // The port refuses everything from now on: the Note On fails in a box,
        // the Note Off that the stop sends fails once the window has closed.
        Service.FailAllSendsWith = 5;
        PlayZ();
        Form1->File1->trigger();
    });
    const std::string Errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Result, 0);
    EXPECT_EQ(Boxes, 1);
    EXPECT_NE(Errors.find("Application Error: The specified device handle is invalid."), std::string::npos) << Errors;
}
