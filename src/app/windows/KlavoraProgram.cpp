#include "app/KlavoraProgram.h"

#include <windows.h>

#include "app/StopSignalRoutines.h"
#include "config/KlavoraConfigRoutines.h"
#include "midi/MIDIOutService.h"
#include "support/VCLRoutines.h"
#include "support/WideTextRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/windows/AboutRoutines.h"
#include "ui/windows/ErrorBox.h"
#include "ui/windows/KlavoraForm.h"
#include "ui/windows/SplashScreenRoutines.h"

namespace {

// A request to stop ends the program as closing the window does, also
// while a modal box runs its own loop; a box that is up closes.
void StopFromSignal()
{
    EndErrorBoxes();
    if (Form1 != nullptr)
        Form1->Close();
    PostQuitMessage(0);
}

// Dispatches every message until the main window closes; the exit code.
int RunMessageLoop()
{
    MSG Message;
    while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
        Form1->RouteKeyMessage(Message);
        TranslateMessage(&Message);
        DispatchMessageW(&Message);
    }
    return static_cast<int>(Message.wParam);
}

// Shows the main window and runs the message loop unless a request to stop
// came meanwhile; the loop's exit code.
int RunWindows(const std::function<void()>& Shown)
{
    Form1 = new TForm1;
    // Once the window closes the program is stopping: no box may hold it up.
    Form1->OnClose = EndErrorBoxes;
    About = new TAbout(Form1->Handle());
    About->SetProgramName(ProgramCaption);
    SplashScreen->Hide();
    SetWindowTextW(Form1->Handle(), WideText(ProgramCaption).c_str());
    if (StopSignalReceived())
        return 0;

    Form1->Show();
    if (Shown)
        Shown();
    return RunMessageLoop();
}

}

int RunKlavora(int&, char**, TMIDIServiceChoice MIDIService, const std::function<void()>& Shown)
{
    StopSignalsStart();
    // Listing the system's MIDI ports goes on while the splash shows.
    if (MIDIService == TMIDIServiceChoice::System) {
        const TStoredDevice Stored = StoredDevice();
        SystemMIDIOutServicePrepare(Stored.ID, Stored.Name);
    }
    StopSignalsWatch(StopFromSignal);
    // The splash shows while the modules start. A box a module shows hides it first.
    SplashScreen = new TSplashScreen;
    SplashScreen->Show();
    SplashScreen->PaintNow();
    const TShellOpener ReplacedOpener = SetShellOpener(SystemShellOpener());
    const TModuleChoices Modules{&WindowsErrorBox, MIDIService};
    StartModules(Modules);

    // A request to stop during a start-up box skips the windows: the modules
    // still stop in order and the log is written.
    const int Result = StopSignalReceived() ? 0 : RunWindows(Shown);
    EndErrorBoxes();

    delete SplashScreen;
    SplashScreen = nullptr;
    delete About;
    About = nullptr;
    // Its destruction ends every note still sounding while the ports are open.
    delete Form1;
    Form1 = nullptr;
    StopModules(Modules);
    SetShellOpener(ReplacedOpener);
    StopSignalsStop();
    return Result;
}
