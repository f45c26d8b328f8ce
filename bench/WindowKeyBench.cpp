#include <benchmark/benchmark.h>

#include <filesystem>

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include "LatencyCounters.h"
#include "RecordingMIDIOutService.h"
#include "TemporaryFolder.h"
#include "app/ModuleOrderRoutines.h"
#include "support/ProgramFolderRoutines.h"
#include "ui/qt/KlavoraForm.h"

// The Z key pressed and released in the main window, from the key event the
// platform delivers to the two messages handed to the MIDI service: key
// translation, key map, settings reads and the port.
static void WindowKeyPressAndRelease(benchmark::State& State)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int Argc = 1;
    char Name[] = "klavora_bench";
    char* Argv[] = {Name, nullptr};
    QApplication Application(Argc, Argv);
    TTemporaryFolder Folder(KLAVORA_PROGRAM_DIR);
    for (const char* File : {"Keyboard.ini", "GeneralMIDI.ini"})
        std::filesystem::copy_file(std::filesystem::path(KLAVORA_SOURCE_DIR) / "data" / File, Folder / File);
    TRecordingMIDIOutService Service;
    SetProgramFolder(Folder.Path());
    StartModules(TModuleChoices{});
    Form1 = new TForm1;
    Form1->show();
    QApplication::processEvents();
    Service.Sent.reserve(2 * static_cast<size_t>(State.max_iterations) + 16);
    Service.Calls.reserve(2 * static_cast<size_t>(State.max_iterations) + 16);
    QWindow* Window = Form1->windowHandle();
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, 52, 0, 0);
    QKeyEvent Release(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, 52, 0, 0);
    {
        TLatencyCounters Latency(State);
        for (auto _ : State) {
            Latency.Time([&] {
                QApplication::sendEvent(Window, &Press);
                QApplication::sendEvent(Window, &Release);
            });
        }
    }
    if (Service.Sent.size() < 2 * static_cast<size_t>(State.iterations()))
        State.SkipWithError("the key played no note");
    delete Form1;
    Form1 = nullptr;
    StopModules(TModuleChoices{});
    SetProgramFolder("");
}
BENCHMARK(WindowKeyPressAndRelease)->Iterations(20000);
