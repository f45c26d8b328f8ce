#include "app/KlavoraProgram.h"

#include <atomic>

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include "app/DisplayOpeningRoutines.h"
#include "app/StopSignalRoutines.h"
#include "config/KlavoraConfigRoutines.h"
#include "midi/MIDIOutService.h"
#include "support/ProgramFolderRoutines.h"
#include "ui/qt/AboutRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/qt/ErrorBox.h"
#include "ui/qt/KlavoraApplication.h"
#include "ui/qt/KlavoraForm.h"
#include "ui/qt/ShellOpenerRoutines.h"
#include "ui/qt/SplashScreenRoutines.h"

namespace {

// The program's icon at every size it was rendered at, for the window's frame
// and the task bar. They are read as the PNG files they are: a file whose
// format is left to guess first loads every image format plug-in to ask it.
QIcon ProgramIcon()
{
    QIcon Icon;
    const QDir Icons(QStringLiteral(":/icons"));
    for (const QString& Name : Icons.entryList(QDir::Files)) {
        QImageReader Reader(Icons.filePath(Name), "png");
        Reader.setAutoDetectImageFormat(false);
        Icon.addPixmap(QPixmap::fromImage(Reader.read()));
    }
    return Icon;
}

// A stop signal ends the program as closing the window does, also while a
// modal box runs its own loop; a box that is up closes.
void StopFromSignal()
{
    EndErrorBoxes();
    if (Form1 != nullptr)
        Form1->close();
    QCoreApplication::exit(0);
}

// The system's ports may have changed: the window reads them again on its
// own thread, once for a burst of changes.
void DevicesChanged()
{
    static std::atomic<bool> Pending = false;
    if (Pending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        qApp,
        [] {
            Pending = false;
            if (Form1 != nullptr)
                Form1->Handlers.DevicesChanged();
        },
        Qt::QueuedConnection);
}

// Shows the main window and runs the message loop unless a stop signal came
// meanwhile; the loop's exit code.
int RunWindows(const std::function<void()>& Shown)
{
    Form1 = new TForm1;
    // Once the window closes the program is stopping: no box may hold it up.
    QObject::connect(Form1, &TForm1::Closing, EndErrorBoxes);
    About = new TAbout;
    About->ProgramName->setText(QString::fromLatin1(ProgramCaption));
    SplashScreen->hide();
    Form1->setWindowTitle(QString::fromLatin1(ProgramCaption));
    MIDIOutService().WatchDevices(DevicesChanged);
    if (StopSignalReceived())
        return 0;

    Form1->show();
    if (Shown)
        Shown();
    return QCoreApplication::exec();
}

}

int RunKlavora(int& Argc, char** Argv, TMIDIServiceChoice MIDIService, const std::function<void()>& Shown)
{
    StopSignalsStart();
    // Listing the system's MIDI ports takes as long as starting Qt: both go on at once.
    if (MIDIService == TMIDIServiceChoice::System) {
        const TStoredDevice Stored = StoredDevice();
        SystemMIDIOutServicePrepare(Stored.ID, Stored.Name);
    }
    // Every box needs the application object, so it comes first.
    DisplayOpeningStart();
    TKlavoraApplication Application(Argc, Argv);
    DisplayOpeningStop();
    QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
    // The desktop finds the program's entry, and so its name and icon, by this.
    QGuiApplication::setDesktopFileName(QStringLiteral(KLAVORA_APP_ID));
    StopSignalsWatch(StopFromSignal);
    // The splash shows while the modules start: the device list waits for
    // the system's ports. A box a module shows hides it first.
    SplashScreen = new TSplashScreen;
    SplashScreen->show();
    SplashScreen->PaintNow();
    QGuiApplication::setWindowIcon(ProgramIcon());
    InstallShellOpener();
    const TModuleChoices Modules{&QtErrorBox, MIDIService};
    StartModules(Modules);

    // A stop signal during a start-up box skips the windows: the modules
    // still stop in order and the log is written.
    const int Result = StopSignalReceived() ? 0 : RunWindows(Shown);
    MIDIOutService().WatchDevices(nullptr);
    EndErrorBoxes();

    delete SplashScreen;
    SplashScreen = nullptr;
    delete About;
    About = nullptr;
    // Its destruction ends every note still sounding while the ports are open.
    delete Form1;
    Form1 = nullptr;
    StopModules(Modules);
    StopSignalsStop();
    return Result;
}
