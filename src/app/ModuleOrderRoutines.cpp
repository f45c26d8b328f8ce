#include "app/ModuleOrderRoutines.h"

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/MIDIOutService.h"
#include "support/LogFileRoutines.h"
#include "ui/ErrorBoxRoutines.h"

void StartModules(TModalErrorBox& ErrorBox, TMIDIServiceChoice MIDIService)
{
    LogFileStart();
    ErrorBoxStart(ErrorBox);
    KlavoraConfigStart();
    MIDIKeymappingStart();
    if (MIDIService == TMIDIServiceChoice::System)
        SystemMIDIOutServiceStart();
    MIDIDevicesStart();
    MIDIPianoStart();
}

void StopModules(TMIDIServiceChoice MIDIService)
{
    MIDIPianoStop();
    MIDIDevicesStop();
    if (MIDIService == TMIDIServiceChoice::System)
        SystemMIDIOutServiceStop();
    MIDIKeymappingStop();
    KlavoraConfigStop();
    ErrorBoxStop();
    LogFileStop();
}
