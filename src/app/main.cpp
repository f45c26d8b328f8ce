#include <cstdio>

#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"

int main()
{
    LinuxMIDIOutServiceStart();
    MIDIDevicesStart();
    std::printf("Klavora Lite v2.9: %zu MIDI output port(s) found.\n", MIDIDevices.Items.size());
    std::printf("The window is not built yet; nothing more to run.\n");
    MIDIDevicesStop();
    LinuxMIDIOutServiceStop();
    return 0;
}
