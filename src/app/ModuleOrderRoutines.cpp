#include "app/ModuleOrderRoutines.h"

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/MIDIOutService.h"
#include "support/LogFileRoutines.h"
#include "ui/ErrorBoxRoutines.h"

void StartModules(const TModuleChoices& Choices)
{
    LogFileStart();
    if (Choices.ErrorBox != nullptr)
        ErrorBoxStart(*Choices.ErrorBox);
    KlavoraConfigStart();
    MIDIKeymappingStart();
    if (Choices.MIDIService == TMIDIServiceChoice::System)
        SystemMIDIOutServiceStart();
    MIDIDevicesStart();
    MIDIPianoStart();
}

void StopModules(const TModuleChoices& Choices)
{
    MIDIPianoStop();
    MIDIDevicesStop();
    if (Choices.MIDIService == TMIDIServiceChoice::System)
        SystemMIDIOutServiceStop();
    MIDIKeymappingStop();
    KlavoraConfigStop();
    if (Choices.ErrorBox != nullptr)
        ErrorBoxStop();
    LogFileStop();
}
