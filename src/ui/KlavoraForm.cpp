#include "ui/KlavoraForm.h"

#include <utility>

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <xcb/xcb.h>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ErrorRoutines.h"
#include "support/RangeRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/FontRoutines.h"
#include "ui/KeyRepeatRoutines.h"
#include "ui/KlavoraFormRoutines.h"
#include "ui/VirtualKeyRoutines.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int WhiteKeyCount = 15;
constexpr int WhiteKeyOffsets[WhiteKeyCount] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};
constexpr int BlackKeyCount = 10;
constexpr int BlackKeyOffsets[BlackKeyCount] = {1, 3, 6, 8, 10, 13, 15, 18, 20, 22};
constexpr int BlackKeyLefts[BlackKeyCount] = {24, 48, 96, 120, 144, 192, 216, 264, 288, 312};

// Sixteen em dashes: a selectable Help menu item without action.
const QString DashesCaption(16, QChar(0x2014));

// The note a mapped PC key plays at the stored octave, or -1 when the key is
// not mapped or its note lies outside 0..127.
int32_t KeyNote(uint16_t Key)
{
    const int32_t Offset = MIDIKeymapping.FindNoteOffset(Key);
    if (Offset < 0)
        return -1;
    // An offset from the file has no upper bound: add in 64 bits.
    const int64_t Note = int64_t{Offset} + 12 * int64_t{KeyboardConfig.GetOctave()};
    return Note <= 127 ? static_cast<int32_t>(Note) : -1;
}

bool ShiftHeld(Qt::KeyboardModifiers Shift)
{
    return Shift.testFlag(Qt::ShiftModifier);
}

}

TForm1::TForm1()
{
    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
}

void TForm1::FormCreate()
{
    setObjectName(QStringLiteral("Form1"));
    setFont(TahomaFont(11));
    setFocusPolicy(Qt::StrongFocus);
    CreateControls();
    CreateMenus();
    AskForDetectableAutoRepeat();
    MIDIPiano.Observer = this;
    // Coming back from another application also takes the focus back;
    // leaving for another one, even from an error box, releases the keys.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState State) {
        if (State == Qt::ApplicationActive)
            DisableFocus(this);
        else
            ReleaseKeysDown();
    });
    qApp->installEventFilter(&KeysUnderBox);
    qApp->installNativeEventFilter(&KeysUnderBox);
    SetErrorBoxesClosedHandler([this] { QTimer::singleShot(0, this, &TForm1::ReleaseWhatWentUp); });
    ApplySettings(true);
}

template <typename TStep>
void TForm1::StoreStep(TStep&& Step)
{
    ++StoreDepth;
    try {
        Step();
    } catch (const EProfileWriteError& Error) {
        if (FailedWrite.empty())
            FailedWrite = Error.what();
    }
    if (--StoreDepth > 0 || FailedWrite.empty())
        return;
    ShowSettingsInForce({ComboBox1, ComboBox2, ComboBox3, ComboBox5, TrackBar1, TrackBar2, OctaveButtons, Button24,
                         Button22, Button1});
    PresentKeys();
    ShowError(std::exchange(FailedWrite, std::string()));
}

void TForm1::FormDestroy()
{
    SetErrorBoxesClosedHandler(nullptr);
    if (MIDIPiano.Observer == this)
        MIDIPiano.Observer = nullptr;
    MIDIPiano.StopAll();
}

QGroupBox* TForm1::CreateGroupBox(const char* Name, const QRect& Geometry, const QString& Caption, bool PassesMouse)
{
    auto* Box = new QGroupBox(Caption, this);
    Box->setObjectName(QLatin1String(Name));
    Box->setGeometry(Geometry.translated(WindowBorderWidth, WindowBorderWidth));
    Box->setFocusPolicy(Qt::NoFocus);
    // Each release over a group box is handled once, here or nowhere.
    Box->setAttribute(Qt::WA_NoMousePropagation);
    if (PassesMouse)
        Box->installEventFilter(this);
    return Box;
}

TButton* TForm1::CreateButton(QWidget* Parent, const char* Name, const QRect& Geometry, const QString& Caption)
{
    auto* Button = new TButton(Parent, Caption);
    Button->setObjectName(QLatin1String(Name));
    Button->setGeometry(Geometry);
    connect(Button, &TButton::MouseUp, this, [this](QMouseEvent* Event) { FormMouseUp(Event->button()); });
    return Button;
}

TComboBox* TForm1::CreateComboBox(QWidget* Parent, const char* Name, const QRect& Geometry)
{
    auto* List = new TComboBox(Parent);
    List->setObjectName(QLatin1String(Name));
    List->setGeometry(Geometry);
    connect(List, &TComboBox::PopupOpening, this, &TForm1::ReleaseKeysDown);
    connect(List, &TComboBox::CloseUp, this, [this] { DisableFocus(this); });
    return List;
}

TTrackBar* TForm1::CreateTrackBar(QWidget* Parent, const char* Name)
{
    auto* Bar = new TTrackBar(Parent);
    Bar->setObjectName(QLatin1String(Name));
    Bar->setGeometry(2, 12, 109, 26);
    return Bar;
}

void TForm1::CreateControls()
{
    StaticText1 = new TStaticText(this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setText(QStringLiteral("  File "));
    StaticText1->setGeometry(QRect(0, 0, 29, 17).translated(WindowBorderWidth, WindowBorderWidth));
    connect(StaticText1, &TStaticText::MouseDown, this, &TForm1::StaticText1MouseDown);
    StaticText2 = new TStaticText(this);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    StaticText2->setText(QStringLiteral("  Help "));
    StaticText2->setGeometry(QRect(29, 0, 34, 17).translated(WindowBorderWidth, WindowBorderWidth));
    connect(StaticText2, &TStaticText::MouseDown, this, &TForm1::StaticText2MouseDown);

    GroupBox1 = CreateGroupBox("GroupBox1", {0, 16, 193, 41}, QStringLiteral("MIDI Output Device"), true);
    ComboBox1 = CreateComboBox(GroupBox1, "ComboBox1", {8, 15, 129, 21});
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    Button2 = CreateButton(GroupBox1, "Button2", {144, 14, 41, 21}, QStringLiteral("Reset"));
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);

    GroupBox2 = CreateGroupBox("GroupBox2", {200, 16, 297, 41}, QStringLiteral("MIDI Controller Instrument"), true);
    ComboBox2 = CreateComboBox(GroupBox2, "ComboBox2", {8, 15, 81, 21});
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    ComboBox3 = CreateComboBox(GroupBox2, "ComboBox3", {96, 15, 129, 21});
    connect(ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Change);
    ComboBox5 = CreateComboBox(GroupBox2, "ComboBox5", {232, 15, 57, 21});
    connect(ComboBox5, &QComboBox::activated, this, &TForm1::ComboBox5Change);

    GroupBox4 = CreateGroupBox("GroupBox4", {0, 56, 113, 41}, QStringLiteral("Voice Volume"), true);
    TrackBar1 = CreateTrackBar(GroupBox4, "TrackBar1");
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    GroupBox3 = CreateGroupBox("GroupBox3", {0, 96, 113, 41}, QStringLiteral("Voice Velocity"), true);
    TrackBar2 = CreateTrackBar(GroupBox3, "TrackBar2");
    connect(TrackBar2, &QSlider::valueChanged, this, &TForm1::TrackBar2Change);

    GroupBox17 = CreateGroupBox("GroupBox17", {0, 136, 113, 73}, QStringLiteral("Controller Octave"), true);
    for (int Index = 0; Index < 8; ++Index) {
        const QByteArray Name = "o" + QByteArray::number(Index + 1);
        const QRect Geometry(8 + 24 * (Index % 4), 16 + 24 * (Index / 4), 25, 25);
        TButton* Button = CreateButton(GroupBox17, Name.constData(), Geometry, QString::number(Index + 1));
        connect(Button, &TButton::MouseDown, this, [this, Button] { o1MouseDown(Button); });
        OctaveButtons[Index] = Button;
    }

    GroupBox13 = CreateGroupBox("GroupBox13", {120, 56, 377, 105}, QStringLiteral("MIDI Controller Keyboard"), true);
    // White keys first, so that the black keys lie on top of them.
    for (int Index = 0; Index < WhiteKeyCount + BlackKeyCount; ++Index) {
        const bool White = Index < WhiteKeyCount;
        const int Offset = White ? WhiteKeyOffsets[Index] : BlackKeyOffsets[Index - WhiteKeyCount];
        const QRect Geometry = White ? QRect(8 + 24 * Index, 16, 25, 81)
                                     : QRect(BlackKeyLefts[Index - WhiteKeyCount], 16, 17, 49);
        const QByteArray Name = "Piano" + QByteArray::number(Offset);
        TButton* Key = CreateButton(GroupBox13, Name.constData(), Geometry, White ? QString() : QStringLiteral("|"));
        connect(Key, &TButton::MouseDown, this,
                [this, Key](QMouseEvent* Event) { KeyboardButtonMouseDown(Key, Event->button(), Event->buttons()); });
        PianoKeys[Offset] = Key;
    }

    GroupBox14 = CreateGroupBox("GroupBox14", {120, 160, 233, 49}, QStringLiteral("MIDI Controller Pedals"), true);
    Button24 = CreateButton(GroupBox14, "Button24", {8, 16, 73, 25}, QStringLiteral("Soft"));
    connect(Button24, &TButton::MouseDown, this, &TForm1::Button24MouseDown);
    Button22 = CreateButton(GroupBox14, "Button22", {80, 16, 73, 25}, QStringLiteral("Sustain"));
    connect(Button22, &TButton::MouseDown, this, &TForm1::Button22MouseDown);
    Button1 = CreateButton(GroupBox14, "Button1", {152, 16, 73, 25}, QStringLiteral("Accent"));
    connect(Button1, &TButton::MouseDown, this, &TForm1::Button1MouseDown);

    GroupBox5 = CreateGroupBox("GroupBox5", {360, 160, 137, 49}, QStringLiteral("Mouse Controller"), false);
    Button4 = CreateButton(GroupBox5, "Button4", {8, 16, 121, 25}, QStringLiteral("All Notes Off"));
    connect(Button4, &TButton::MouseDown, this, &TForm1::Button3MouseDown);
}

void TForm1::CreateMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    File1 = PopupMenu1->addAction(QStringLiteral("Exit"), this, &TForm1::File1Click);
    File1->setObjectName(QStringLiteral("File1"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Help1 = PopupMenu2->addAction(QStringLiteral("Product Help"), this, &TForm1::Help1Click);
    Help1->setObjectName(QStringLiteral("Help1"));
    N2 = PopupMenu2->addAction(DashesCaption);
    N2->setObjectName(QStringLiteral("N2"));
    ProductHomepage1 = PopupMenu2->addAction(QStringLiteral("Product Home Page"), this, &TForm1::ProductHomepage1Click);
    ProductHomepage1->setObjectName(QStringLiteral("ProductHomepage1"));
    N1 = PopupMenu2->addAction(DashesCaption);
    N1->setObjectName(QStringLiteral("N1"));
    About1 = PopupMenu2->addAction(QStringLiteral("About Klavora"), this, &TForm1::About1Click);
    About1->setObjectName(QStringLiteral("About1"));
}

void TForm1::ApplySettings(bool Initial)
{
    // A settings file that cannot be written stops no step but its own: the
    // window still fills every control, and says so once.
    StoreStep([&] {
        PresentWindow(this);
        StoreStep([&] { PresentDeviceList(ComboBox1, true); });
        StoreStep([&] { PresentGroupList(ComboBox2, Initial); });
        StoreStep([&] { PresentVoiceList(ComboBox3, Initial); });
        ComboBox5Change();
        PresentOctaveButtons(OctaveButtons, -1);
        PresentKeys();
        StoreStep([&] { PresentVolumeBar(TrackBar1); });
        StoreStep([&] { PresentVelocityBar(TrackBar2); });
        StoreStep([&] { PresentSustainButton(Button22, Initial); });
        StoreStep([&] { PresentSoftButton(Button24, Initial); });
        StoreStep([&] { PresentAccentButton(Button1, Initial); });
    });
}

bool TForm1::event(QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::ShortcutOverride:
        // Every key belongs to the player: none is a shortcut.
        Event->accept();
        return true;
    case QEvent::KeyPress:
        // Tab, the arrow keys, Enter and Escape move nothing: they play like any other key.
        keyPressEvent(static_cast<QKeyEvent*>(Event));
        return true;
    case QEvent::KeyRelease:
        keyReleaseEvent(static_cast<QKeyEvent*>(Event));
        return true;
    case QEvent::WindowActivate:
        DisableFocus(this);
        break;
    case QEvent::WindowDeactivate:
        // An error box taking the keyboard leaves the keys followed.
        if (!ErrorBoxShowing())
            ReleaseKeysDown();
        break;
    default:
        break;
    }
    return QWidget::event(Event);
}

bool TForm1::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease)
        FormMouseUp(static_cast<QMouseEvent*>(Event)->button());
    return QWidget::eventFilter(Watched, Event);
}

void TForm1::keyPressEvent(QKeyEvent* Event)
{
    const uint16_t Key = VirtualKeyOf(*Event, QGuiApplication::platformName());
    Event->accept();
    if (Key != 0)
        FormKeyDown(Key, Event->modifiers());
}

void TForm1::keyReleaseEvent(QKeyEvent* Event)
{
    Event->accept();
    // An auto-repeated key is still down.
    if (Event->isAutoRepeat())
        return;
    const uint16_t Key = VirtualKeyOf(*Event, QGuiApplication::platformName());
    if (Key != 0)
        KeyWentUp(Key, Event->modifiers());
}

void TForm1::mouseReleaseEvent(QMouseEvent* Event)
{
    FormMouseUp(Event->button());
    Event->accept();
}

void TForm1::closeEvent(QCloseEvent* Event)
{
    emit Closing();
    QWidget::closeEvent(Event);
}

bool TForm1::TKeysUnderBox::eventFilter(QObject*, QEvent* Event)
{
    const QEvent::Type Type = Event->type();
    if (!ErrorBoxShowing() || (Type != QEvent::KeyPress && Type != QEvent::KeyRelease))
        return false;
    const auto* KeyEvent = static_cast<QKeyEvent*>(Event);
    // A release that the platform calls a repeat leaves the key down.
    if (Type == QEvent::KeyPress || !KeyEvent->isAutoRepeat())
        KeySeen(Type == QEvent::KeyRelease, VirtualKeyOf(*KeyEvent, QGuiApplication::platformName()),
                KeyEvent->modifiers());
    return false;
}

bool TForm1::TKeysUnderBox::nativeEventFilter(const QByteArray& EventType, void* Message, qintptr*)
{
    if (!ErrorBoxShowing() || EventType != "xcb_generic_event_t")
        return false;
    const auto* Event = static_cast<const xcb_key_press_event_t*>(Message);
    const uint8_t Type = Event->response_type & 0x7F;
    // A key release has the layout of a key press.
    if (Type == XCB_KEY_PRESS || Type == XCB_KEY_RELEASE)
        KeySeen(Type == XCB_KEY_RELEASE, VirtualKeyOfScanCode(Event->detail),
                (Event->state & XCB_MOD_MASK_SHIFT) != 0 ? Qt::ShiftModifier : Qt::NoModifier);
    return false;
}

// Each key event may be seen more than once (natively, then by each receiver): the marks stay the same.
void TForm1::TKeysUnderBox::KeySeen(bool Released, uint16_t Key, Qt::KeyboardModifiers Shift)
{
    if (Released) {
        Form.KeyWentUp(Key, Shift);
    } else if (TKeyDown* Down = Form.FindKeyDown(Key)) {
        // Down again before the box went: it sounds on as if never released.
        Down->WentUp = false;
    }
}

TForm1::TKeyDown* TForm1::FindKeyDown(uint16_t Key)
{
    for (size_t Index = 0; Index < KeysDownCount; ++Index)
        if (KeysDown[Index].Key == Key)
            return &KeysDown[Index];
    return nullptr;
}

void TForm1::ReleaseKeysDown()
{
    for (size_t Index = 0; Index < KeysDownCount; ++Index)
        KeysDown[Index].WentUp = true;
    ReleaseKeysThatWentUp();
}

void TForm1::KeyWentUp(uint16_t Key, Qt::KeyboardModifiers Shift)
{
    if (!ErrorBoxShowing()) {
        FormKeyUp(Key, Shift);
        return;
    }
    if (TKeyDown* Down = FindKeyDown(Key)) {
        Down->WentUp = true;
        Down->UpShift = Shift;
    }
}

void TForm1::ReleaseKeysThatWentUp()
{
    // The last pressed first. Each release may bring up a box of its own,
    // under which more keys go up: the search starts again after each.
    for (size_t Index = KeysDownCount; Index > 0 && !ErrorBoxShowing();) {
        const TKeyDown& Down = KeysDown[--Index];
        if (Down.WentUp) {
            FormKeyUp(Down.Key, Down.UpShift);
            Index = KeysDownCount;
        }
    }
}

void TForm1::ReleaseWhatWentUp()
{
    ReleaseKeysThatWentUp();
    if (!ErrorBoxShowing())
        MIDIPiano.ReleaseUnheldButtons(MouseButtonsOf(QGuiApplication::mouseButtons()));
}

void TForm1::FormKeyDown(uint16_t Key, Qt::KeyboardModifiers Shift)
{
    if (Key == VK_SPACE)
        MIDIPiano.ReleaseSustained();
    // A press of a key that is down already is its auto-repeat, whatever the
    // platform calls it: the key's note sounds once until its release.
    if (const TKeyDown* Down = FindKeyDown(Key)) {
        if (!Down->WentUp)
            return;
        // It went up under a box and is down again before the window ended its note.
        ReleaseKeysThatWentUp();
    }
    const int32_t Note = KeyNote(Key);
    if (Note < 0)
        return;
    if (KeysDownCount < MaxKeysDown)
        KeysDown[KeysDownCount++] = {Key, Note, false, Qt::NoModifier};
    const bool Alt = Shift.testFlag(Qt::AltModifier);
    const bool Ctrl = Shift.testFlag(Qt::ControlModifier);
    const int32_t Modifier = Alt == Ctrl ? 0 : (Alt ? 1 : -1);
    MIDIPiano.KeyNoteOn(Note, Modifier, ShiftHeld(Shift));
}

void TForm1::FormKeyUp(uint16_t Key, Qt::KeyboardModifiers Shift)
{
    int32_t Note = -1;
    if (TKeyDown* Down = FindKeyDown(Key)) {
        Note = Down->Note;
        *Down = KeysDown[--KeysDownCount];
    } else {
        Note = KeyNote(Key);
    }
    if (Note >= 0)
        MIDIPiano.KeyNoteOff(Note, ShiftHeld(Shift));
}

void TForm1::FormMouseUp(Qt::MouseButton Button)
{
    DisableFocus(this);
    if (const auto Released = MouseButtonOf(Button))
        MIDIPiano.MouseNoteOff(*Released);
}

void TForm1::KeyboardButtonMouseDown(QPushButton* Key, Qt::MouseButton Button, Qt::MouseButtons Held)
{
    const auto Pressed = MouseButtonOf(Button);
    if (!Pressed)
        return;
    TMouseButtons HeldButtons = MouseButtonsOf(Held);
    HeldButtons.Include(*Pressed);
    const int32_t Note = PianoKeyOffset(*Key) + 12 * KeyboardConfig.GetOctave();
    MIDIPiano.MouseNoteOn(*Pressed, HeldButtons, Note);
    MIDIPiano.ReleaseUnheldButtons(HeldButtons);
}

void TForm1::Button22MouseDown()
{
    MIDIPiano.ReleaseUnheldButtons({});
    StoreStep([this] { PresentSustainButton(Button22, false); });
}

void TForm1::Button24MouseDown()
{
    StoreStep([this] {
        PresentSoftButton(Button24, false);
        PresentAccentButton(Button1, true);
    });
}

void TForm1::Button1MouseDown()
{
    StoreStep([this] {
        PresentAccentButton(Button1, false);
        PresentSoftButton(Button24, true);
    });
}

void TForm1::o1MouseDown(QPushButton* Button)
{
    StoreStep([this, Button] {
        PresentOctaveButtons(OctaveButtons, Button->objectName().mid(1).toInt());
        PresentKeys();
    });
}

void TForm1::PresentKeys()
{
    LowestKeyNote = PresentPianoKeys(PianoKeys);
}

void TForm1::SoundingChanged(int32_t Note, bool Sounding)
{
    const int32_t Offset = Note - LowestKeyNote;
    if (InRange(Offset, 0, static_cast<int32_t>(PianoKeys.size()) - 1))
        PianoKeys[static_cast<size_t>(Offset)]->SetLit(Sounding);
}

void TForm1::Button3MouseDown()
{
    MIDIPiano.ReleaseMouseNotes();
}

void TForm1::ComboBox1Change()
{
    // Each note ends on the port that started it: a port closed with notes
    // sounding would leave them hanging on that device.
    MIDIPiano.StopAll();
    StoreStep([this] { PresentDeviceList(ComboBox1, false); });
}

void TForm1::ComboBox2Change()
{
    MIDIPiano.StopAll();
    StoreStep([this] {
        PresentGroupList(ComboBox2, false);
        PresentVoiceList(ComboBox3, false);
    });
}

void TForm1::ComboBox3Change()
{
    MIDIPiano.StopAll();
    StoreStep([this] { PresentVoiceList(ComboBox3, false); });
}

void TForm1::ComboBox5Change()
{
    MIDIPiano.StopAll();
    StoreStep([this] {
        PresentChannelList(ComboBox5);
        ComboBox2Change();
    });
}

void TForm1::TrackBar1Change()
{
    StoreStep([this] { PresentVolumeBar(TrackBar1); });
}

void TForm1::TrackBar2Change()
{
    StoreStep([this] { PresentVelocityBar(TrackBar2); });
}

void TForm1::Button2Click()
{
    MIDIPiano.StopAll();
    MIDIDevices.SendAllNotesOff();
    const int32_t Position = KeyboardConfig.GetDeviceID();
    CloseDeviceAt(Position);
    OpenDeviceAt(Position);
}

void TForm1::StaticText1MouseDown()
{
    OpenPopupMenu(PopupMenu1, StaticText1);
}

void TForm1::StaticText2MouseDown()
{
    OpenPopupMenu(PopupMenu2, StaticText2);
}

void TForm1::OpenPopupMenu(QMenu* Menu, QWidget* Label)
{
    MIDIPiano.StopAll();
    // The menu covers the label.
    Menu->popup(Label->mapToGlobal(QPoint(-1, -1)));
}

void TForm1::File1Click()
{
    close();
}
