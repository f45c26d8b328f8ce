// A winmm.dll of the tests' own, put beside the program under Wine in place
// of Windows' multimedia library. It offers the MIDI mapper and two output
// devices, and writes what the program does with them, one line each, to the
// file that WINMM_STAND_IN_LOG names (nothing when it is unset):
//
//   <microseconds since 1970> <device> open
//   <microseconds since 1970> <device> <status> <data bytes>   (hex: "90 30 67", "C0 00")
//   <microseconds since 1970> <device> close
//
// where <device> is -1 for the mapper. The time is the wall clock, which Wine
// takes from the host, so that it compares with the host's own clock.
#define _WINMM_
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT DeviceCount = 2;
constexpr const char* DeviceNames[DeviceCount] = {"Stand-in Synth A", "Stand-in Synth B"};
constexpr int MapperDevice = -1;

// An open port: its handle is its place in the table plus one.
struct TPort {
    bool Open = false;
    int Device = 0;
};
TPort Ports[8];

HANDLE Log = INVALID_HANDLE_VALUE;

long long MicrosecondsSince1970()
{
    FILETIME Now;
    GetSystemTimePreciseAsFileTime(&Now);
    const unsigned long long Ticks = (static_cast<unsigned long long>(Now.dwHighDateTime) << 32) | Now.dwLowDateTime;
    constexpr unsigned long long TicksFrom1601To1970 = 116444736000000000ULL;
    return static_cast<long long>((Ticks - TicksFrom1601To1970) / 10);
}

// Each line goes to the file at once, so that a test reads it as soon as the
// program has sent it.
void WriteLine(long long Time, int Device, const char* What)
{
    if (Log == INVALID_HANDLE_VALUE) {
        wchar_t Name[MAX_PATH];
        const DWORD Length = GetEnvironmentVariableW(L"WINMM_STAND_IN_LOG", Name, MAX_PATH);
        if (Length == 0 || Length >= MAX_PATH)
            return;
        Log = CreateFileW(Name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (Log == INVALID_HANDLE_VALUE)
            return;
    }
    char Line[96];
    const int Length = std::snprintf(Line, sizeof Line, "%lld %d %s\n", Time, Device, What);
    DWORD Written = 0;
    WriteFile(Log, Line, static_cast<DWORD>(Length), &Written, nullptr);
}

TPort* PortOf(HMIDIOUT Handle)
{
    const auto Place = reinterpret_cast<UINT_PTR>(Handle);
    if (Place == 0 || Place > sizeof Ports / sizeof Ports[0] || !Ports[Place - 1].Open)
        return nullptr;
    return &Ports[Place - 1];
}

// Program Change and Channel Pressure carry one data byte, the other
// channel messages two.
int DataBytes(unsigned Status)
{
    const unsigned Kind = Status & 0xF0;
    return Kind == 0xC0 || Kind == 0xD0 ? 1 : 2;
}

template <typename TCaps>
MMRESULT DevCaps(UINT_PTR DeviceID, TCaps* Caps, UINT Size, void (*SetName)(TCaps&, const char*))
{
    if (Caps == nullptr)
        return MMSYSERR_INVALPARAM;
    if (DeviceID >= DeviceCount)
        return MMSYSERR_BADDEVICEID;
    TCaps Filled{};
    Filled.wMid = 0xFFFF; // no registered maker
    Filled.wPid = 1;
    Filled.vDriverVersion = 0x0100;
    SetName(Filled, DeviceNames[DeviceID]);
    Filled.wTechnology = MOD_SYNTH;
    Filled.wVoices = 32;
    Filled.wNotes = 32;
    Filled.wChannelMask = 0xFFFF;
    std::memcpy(Caps, &Filled, Size < sizeof Filled ? Size : sizeof Filled);
    return MMSYSERR_NOERROR;
}

}

extern "C" {

UINT WINAPI midiOutGetNumDevs()
{
    return DeviceCount;
}

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR DeviceID, LPMIDIOUTCAPSA Caps, UINT Size)
{
    return DevCaps<MIDIOUTCAPSA>(DeviceID, Caps, Size, [](MIDIOUTCAPSA& Filled, const char* Name) {
        lstrcpynA(Filled.szPname, Name, MAXPNAMELEN);
    });
}

MMRESULT WINAPI midiOutGetDevCapsW(UINT_PTR DeviceID, LPMIDIOUTCAPSW Caps, UINT Size)
{
    return DevCaps<MIDIOUTCAPSW>(DeviceID, Caps, Size, [](MIDIOUTCAPSW& Filled, const char* Name) {
        MultiByteToWideChar(CP_ACP, 0, Name, -1, Filled.szPname, MAXPNAMELEN);
    });
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT Handle, UINT DeviceID, DWORD_PTR, DWORD_PTR, DWORD)
{
    const long long Time = MicrosecondsSince1970();
    if (Handle == nullptr)
        return MMSYSERR_INVALPARAM;
    const int Device = DeviceID == MIDI_MAPPER ? MapperDevice : static_cast<int>(DeviceID);
    if (Device != MapperDevice && DeviceID >= DeviceCount)
        return MMSYSERR_BADDEVICEID;
    // A device serves one client at a time, as most drivers do.
    for (const TPort& Port : Ports)
        if (Port.Open && Port.Device == Device)
            return MMSYSERR_ALLOCATED;
    for (UINT_PTR Place = 0; Place < sizeof Ports / sizeof Ports[0]; ++Place)
        if (!Ports[Place].Open) {
            Ports[Place] = TPort{true, Device};
            *Handle = reinterpret_cast<HMIDIOUT>(Place + 1);
            WriteLine(Time, Device, "open");
            return MMSYSERR_NOERROR;
        }
    return MMSYSERR_NOMEM;
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT Handle, DWORD Message)
{
    const long long Time = MicrosecondsSince1970();
    TPort* Port = PortOf(Handle);
    if (Port == nullptr)
        return MMSYSERR_INVALHANDLE;
    const unsigned Status = Message & 0xFF;
    const unsigned First = (Message >> 8) & 0xFF;
    const unsigned Second = (Message >> 16) & 0xFF;
    char Bytes[16];
    if (DataBytes(Status) == 1)
        std::snprintf(Bytes, sizeof Bytes, "%02X %02X", Status, First);
    else
        std::snprintf(Bytes, sizeof Bytes, "%02X %02X %02X", Status, First, Second);
    WriteLine(Time, Port->Device, Bytes);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT Handle)
{
    const long long Time = MicrosecondsSince1970();
    TPort* Port = PortOf(Handle);
    if (Port == nullptr)
        return MMSYSERR_INVALHANDLE;
    Port->Open = false;
    WriteLine(Time, Port->Device, "close");
    return MMSYSERR_NOERROR;
}

}
