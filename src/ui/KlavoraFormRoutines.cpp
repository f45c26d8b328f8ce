#include "ui/KlavoraFormRoutines.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/RangeRoutines.h"
#include "ui/KlavoraControls.h"

namespace {

constexpr int TickInterval = 8;

QString Text(const std::string& Value)
{
    return QString::fromLocal8Bit(Value);
}

void SetTextColor(QPushButton* Button, const QColor& Color)
{
    QPalette Palette = Button->palette();
    Palette.setColor(QPalette::ButtonText, Color);
    Button->setPalette(Palette);
}

void SetBold(QPushButton* Button, bool Bold)
{
    QFont Font = Button->font();
    Font.setBold(Bold);
    Button->setFont(Font);
}

// Plain: no bold, italic, underline or strike-out.
void ShowDimmed(QPushButton* Button)
{
    SetTextColor(Button, DimColor);
    QFont Font = Button->font();
    Font.setBold(false);
    Font.setItalic(false);
    Font.setUnderline(false);
    Font.setStrikeOut(false);
    Button->setFont(Font);
}

void ShowPedal(QPushButton* Button, bool On)
{
    if (On)
        SetTextColor(Button, Qt::black);
    else
        ShowDimmed(Button);
}

using TPedalGetter = bool (TKeyboardConfig::*)() const;
using TPedalSetter = void (TKeyboardConfig::*)(bool);

// Toggles a pedal unless PresentOnly, switches off the pedal it excludes (if
// any) when it is on, and shows it.
void PresentPedal(QPushButton* Button, bool PresentOnly, TPedalGetter Get, TPedalSetter Set, TPedalGetter GetExcluded,
                  TPedalSetter SetExcluded)
{
    if (!PresentOnly)
        (KeyboardConfig.*Set)(!(KeyboardConfig.*Get)());
    const bool On = (KeyboardConfig.*Get)();
    if (On && GetExcluded != nullptr && (KeyboardConfig.*GetExcluded)())
        (KeyboardConfig.*SetExcluded)(false);
    ShowPedal(Button, On);
}

// A drop-down list that cannot be edited, whose items share one height.
void MakeFixedList(QComboBox* List)
{
    List->setEditable(false);
    if (auto* View = qobject_cast<QListView*>(List->view()))
        View->setUniformItemSizes(true);
}

void FillList(QComboBox* List, const TStringList& Names)
{
    List->clear();
    for (const std::string& Name : Names)
        List->addItem(Text(Name));
}

// Selects the item at Index, or nothing when the list has no such item.
void SelectItem(QComboBox* List, int32_t Index)
{
    List->setCurrentIndex(InRange(Index, 0, List->count() - 1) ? Index : -1);
}

int32_t StoredProgram()
{
    return MIDIPatch.ProgramOf(KeyboardConfig.GetGroup(), KeyboardConfig.GetVoice());
}

void ShowVolumeHint(QSlider* Bar)
{
    Bar->setToolTip(QStringLiteral("Voice Volume: %1").arg(Bar->value()));
}

void ShowVelocityHint(QSlider* Bar)
{
    Bar->setToolTip(QStringLiteral("Voice Velocity: %1").arg(Bar->value()));
}

void ShowChannelHint(QComboBox* List)
{
    List->setToolTip(QStringLiteral("Controller Channel: %1").arg(List->currentIndex() + 1));
}

// A track bar's initial fill. Setting its range or position may raise its
// change event, which runs the calling routine again while the bar is still
// disabled: that nested call repeats this fill and writes nothing.
void FillBar(QSlider* Bar, int32_t Minimum, int32_t Maximum, int32_t Position)
{
    Bar->setRange(Minimum, Maximum);
    Bar->setTickPosition(QSlider::TicksBelow);
    Bar->setTickInterval(TickInterval);
    Bar->setValue(Position);
    Bar->setEnabled(true);
}

}

std::string NoteName(int32_t Note)
{
    static constexpr const char* Letters[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int32_t Remainder = Note % 12;
    const int32_t Octave = Note / 12;
    const char* Letter = Remainder >= 0 ? Letters[Remainder] : "?";
    return Letter + std::to_string(Octave);
}

int32_t PianoKeyOffset(const QObject& Key)
{
    return Key.objectName().mid(5).toInt();
}

void OpenDeviceAt(int32_t Position)
{
    if (MIDIDevices.HasPosition(Position))
        MIDIDevices.Items[Position].Open(KeyboardConfig.GetChannel(), StoredProgram());
}

void CloseDeviceAt(int32_t Position)
{
    if (MIDIDevices.HasPosition(Position))
        MIDIDevices.Items[Position].Close();
}

void PresentWindow(QWidget* Window)
{
    Window->setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const QRect Controls = Window->childrenRect();
    Window->setFixedSize(Controls.x() + Controls.width() + WindowBorderWidth,
                         Controls.y() + Controls.height() + WindowBorderWidth);
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        QRect Placed(QPoint(), Window->size());
        Placed.moveCenter(Screen->availableGeometry().center());
        Window->move(Placed.topLeft());
    }
}

void PresentSoftButton(QPushButton* Button, bool PresentOnly)
{
    PresentPedal(Button, PresentOnly, &TKeyboardConfig::GetSoft, &TKeyboardConfig::SetSoft, &TKeyboardConfig::GetAccent,
                 &TKeyboardConfig::SetAccent);
}

void PresentAccentButton(QPushButton* Button, bool PresentOnly)
{
    PresentPedal(Button, PresentOnly, &TKeyboardConfig::GetAccent, &TKeyboardConfig::SetAccent,
                 &TKeyboardConfig::GetSoft, &TKeyboardConfig::SetSoft);
}

void PresentSustainButton(QPushButton* Button, bool PresentOnly)
{
    PresentPedal(Button, PresentOnly, &TKeyboardConfig::GetSustain, &TKeyboardConfig::SetSustain, nullptr, nullptr);
}

void PresentVolumeBar(QSlider* Bar)
{
    if (Bar->isEnabled())
        KeyboardConfig.SetVolume(Bar->value());
    else
        FillBar(Bar, MinVolume, MaxVolume, KeyboardConfig.GetVolume());
    ShowVolumeHint(Bar);
}

void PresentVelocityBar(QSlider* Bar)
{
    if (Bar->isEnabled())
        KeyboardConfig.SetFade(Bar->value());
    else
        FillBar(Bar, 0, 127, KeyboardConfig.GetFade());
    ShowVelocityHint(Bar);
}

void PresentGroupList(QComboBox* List, bool Initial)
{
    if (Initial) {
        MakeFixedList(List);
        FillList(List, MIDIPatch.GroupNames ? *MIDIPatch.GroupNames : TStringList());
        List->setCurrentIndex(-1);
    }
    if (KeyboardConfig.GetChannel() == 10) {
        List->setCurrentIndex(-1);
        List->setEnabled(false);
        return;
    }
    if (!List->isEnabled())
        List->setEnabled(true);
    if (List->currentIndex() == -1)
        SelectItem(List, KeyboardConfig.GetGroup());
    if (List->currentIndex() != KeyboardConfig.GetGroup()) {
        KeyboardConfig.SetGroup(List->currentIndex());
        KeyboardConfig.SetVoice(-1);
    }
}

void PresentVoiceList(QComboBox* List, bool Initial)
{
    if (Initial) {
        MakeFixedList(List);
        FillList(List, MIDIPatch.GroupVoiceNames(KeyboardConfig.GetGroup()));
        SelectItem(List, KeyboardConfig.GetVoice());
        return;
    }
    if (KeyboardConfig.GetChannel() == 10) {
        List->setCurrentIndex(-1);
        List->setEnabled(false);
        return;
    }
    if (!List->isEnabled()) {
        List->setEnabled(true);
        SelectItem(List, KeyboardConfig.GetVoice());
    }
    if (KeyboardConfig.GetVoice() == -1) {
        FillList(List, MIDIPatch.GroupVoiceNames(KeyboardConfig.GetGroup()));
        SelectItem(List, 0);
    }
    if (List->currentIndex() != KeyboardConfig.GetVoice())
        KeyboardConfig.SetVoice(List->currentIndex());
    const int32_t Position = KeyboardConfig.GetDeviceID();
    if (MIDIDevices.HasPosition(Position))
        MIDIDevices.Items[Position].SendProgramChange(KeyboardConfig.GetChannel(), StoredProgram());
}

void PresentChannelList(QComboBox* List)
{
    if (List->currentIndex() == -1) {
        if (List->count() == 0) {
            MakeFixedList(List);
            for (int Channel = 1; Channel <= 12; ++Channel)
                List->addItem(QStringLiteral("Ch:%1").arg(Channel, 2, 10, QLatin1Char('0')));
        }
        SelectItem(List, KeyboardConfig.GetChannel() - 1);
    } else {
        KeyboardConfig.SetChannel(List->currentIndex() + 1);
    }
    ShowChannelHint(List);
}

void PresentDeviceList(QComboBox* List, bool Initial)
{
    if (Initial) {
        MakeFixedList(List);
        List->clear();
        for (const TMIDIDevice& Device : MIDIDevices.Items)
            List->addItem(Text(Device.Name));
        // A stored position that names no port (one was removed since) falls
        // back to the mapper, the first entry.
        const int32_t Stored = KeyboardConfig.GetDeviceID();
        List->setCurrentIndex(MIDIDevices.HasPosition(Stored) ? Stored : 0);
    } else {
        CloseDeviceAt(KeyboardConfig.GetDeviceID());
    }
    try {
        if (List->currentIndex() != KeyboardConfig.GetDeviceID())
            KeyboardConfig.SetDeviceID(List->currentIndex());
    } catch (const EProfileWriteError&) {
        // The notes go on to the port the settings still name: it stays open.
        OpenDeviceAt(KeyboardConfig.GetDeviceID());
        throw;
    }
    OpenDeviceAt(List->currentIndex());
}

int32_t PresentPianoKeys(std::span<TButton* const> Keys)
{
    const int32_t Lowest = 12 * KeyboardConfig.GetOctave();
    for (TButton* Key : Keys) {
        const int32_t Note = PianoKeyOffset(*Key) + Lowest;
        Key->setToolTip(Text(NoteName(Note)));
        Key->SetLit(MIDIPiano.IsSounding(Note));
    }
    return Lowest;
}

void PresentOctaveButtons(std::span<QPushButton* const> Buttons, int32_t Pressed)
{
    if (InRange(Pressed, 1, 8))
        KeyboardConfig.SetOctave(Pressed - 1);
    const int32_t Current = KeyboardConfig.GetOctave();
    for (size_t Index = 0; Index < Buttons.size(); ++Index) {
        QPushButton* Button = Buttons[Index];
        const int Caption = Button->text().toInt();
        Button->setToolTip(QStringLiteral("Ocatave: %1 - %2").arg(Caption).arg(Caption + 1));
        if (static_cast<int32_t>(Index) == Current) {
            SetTextColor(Button, Qt::black);
            SetBold(Button, true);
        } else {
            ShowDimmed(Button);
        }
    }
}

void ShowSettingsInForce(const TSettingControls& Controls)
{
    SelectItem(Controls.Devices, KeyboardConfig.GetDeviceID());
    const int32_t Channel = KeyboardConfig.GetChannel();
    SelectItem(Controls.Channels, Channel - 1);
    ShowChannelHint(Controls.Channels);
    // On channel 10 the instrument lists are disabled, with no selection.
    const bool Instrument = Channel != 10;
    const int32_t Group = KeyboardConfig.GetGroup();
    Controls.Groups->setEnabled(Instrument);
    SelectItem(Controls.Groups, Instrument ? Group : -1);
    Controls.Voices->setEnabled(Instrument);
    FillList(Controls.Voices, MIDIPatch.GroupVoiceNames(Group));
    SelectItem(Controls.Voices, Instrument ? KeyboardConfig.GetVoice() : -1);
    {
        // Moving a bar here is no change of the user's.
        const QSignalBlocker VolumeQuiet(Controls.Volume);
        const QSignalBlocker VelocityQuiet(Controls.Velocity);
        Controls.Volume->setValue(KeyboardConfig.GetVolume());
        Controls.Velocity->setValue(KeyboardConfig.GetFade());
    }
    ShowVolumeHint(Controls.Volume);
    ShowVelocityHint(Controls.Velocity);
    PresentOctaveButtons(Controls.OctaveButtons, -1);
    ShowPedal(Controls.Soft, KeyboardConfig.GetSoft());
    ShowPedal(Controls.Sustain, KeyboardConfig.GetSustain());
    ShowPedal(Controls.Accent, KeyboardConfig.GetAccent());
}
