#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "config/ProfileFile.h"
#include "support/RangeRoutines.h"

// A settings file larger than this is one that cannot be read: the defaults
// are in force, and a write refuses rather than replace it. Every note reads
// the settings file, so this bounds what a note costs.
inline constexpr size_t SettingsSizeLimit = 1024 * 1024;

// The bounds of every Note On velocity setting.
inline constexpr int32_t MinVolume = 23;
inline constexpr int32_t MaxVolume = 103;
inline constexpr TRange VolumeRange{MinVolume, MaxVolume};
// The keyboard's and the mouse's octave settings.
inline constexpr TRange OctaveRange{0, 7};

// The settings every note message depends on, as the settings file holds
// them at one moment, each clamped as its getter clamps it.
struct TNoteSettings {
    int32_t Channel;
    int32_t Volume;
    int32_t Fade;
    bool Accent;
    bool Soft;
    bool Sustain;
    int32_t DeviceID;
};

// The settings store: every user choice lives in the settings file only.
// Each getter reads the file and clamps what it finds; each setter clamps and
// writes at once (and throws EProfileWriteError when it cannot).
struct TKeyboardConfig {
    std::unique_ptr<ProfileFile> Ini;

    bool GetAccent() const;
    void SetAccent(bool Value);
    bool GetSoft() const;
    void SetSoft(bool Value);
    bool GetSustain() const;
    void SetSustain(bool Value);
    int32_t GetChannel() const;
    void SetChannel(int32_t Value);
    int32_t GetGroup() const;
    void SetGroup(int32_t Value);
    int32_t GetVoice() const;
    void SetVoice(int32_t Value);
    // The keyboard octave.
    int32_t GetOctave() const;
    void SetOctave(int32_t Value);
    int32_t GetFade() const;
    void SetFade(int32_t Value);
    int32_t GetVolume() const;
    void SetVolume(int32_t Value);
    std::string GetMap() const;
    void SetMap(const std::string& Value);
    int32_t GetMouseOctave() const;
    void SetMouseOctave(int32_t Value);
    // The output device: its position in the device list, and the name of
    // the port chosen (empty in files written before names were kept), which
    // wins over a position that has come to name another port.
    int32_t GetDeviceID() const;
    void SetDeviceID(int32_t Value);
    std::string GetDeviceName() const;
    void SetDeviceName(const std::string& Value);
    std::string GetPatch() const;
    // The note settings from one read of the settings file.
    TNoteSettings GetNoteSettings() const;
    void SetPatch(const std::string& Value);

    // Opens the store on the settings file, normalises it and loads the catalogue.
    void OpenConfig(const std::string& FileName);
    // Rewrites every setting with its own clamped value.
    void Normalize();
    void CloseConfig();
};

extern TKeyboardConfig KeyboardConfig;

// The output device that "Setup.ini" in the settings folder holds now, read
// without opening the store, so before the program can show any box: the
// defaults when the file is missing or cannot be read.
struct TStoredDevice {
    int32_t ID;
    std::string Name;
};
TStoredDevice StoredDevice();

// Start step: opens "Setup.ini" in the settings folder, making the folder
// when it is missing. Stop step: closes it.
void KlavoraConfigStart();
void KlavoraConfigStop();
