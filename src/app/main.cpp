#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/KlavoraForm.h"

int main(int Argc, char** Argv)
{
    // The system's MIDI service comes first and goes last, as an operating
    // system's would; it shows no box.
    LinuxMIDIOutServiceStart();
    TKlavoraApplication Application(Argc, Argv);
    ErrorBoxStart();
    KlavoraConfigStart();
    MIDIKeymappingStart();
    MIDIDevicesStart();
    MIDIPianoStart();

    Form1 = new TForm1;
    Form1->setWindowTitle(QStringLiteral("Klavora Lite v2.9"));
    Form1->show();
    const int Result = Application.exec();
    delete Form1;
    Form1 = nullptr;

    MIDIPianoStop();
    MIDIDevicesStop();
    MIDIKeymappingStop();
    KlavoraConfigStop();
    ErrorBoxStop();
    LinuxMIDIOutServiceStop();
    return Result;
}
