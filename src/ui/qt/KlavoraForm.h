#pragma once

#include <array>
#include <cstdint>

#include <QAbstractNativeEventFilter>
#include <QWidget>

#include "ui/KlavoraFormHandlers.h"
#include "ui/qt/KlavoraControls.h"

class QAction;
class QGroupBox;
class QMenu;

// The main window in Qt's widgets: it creates the controls where the
// window's definition places them, hands every event to the form's handlers
// and draws what they show. No control ever holds the keyboard focus, so
// every PC key reaches the key handlers and plays.
class TForm1 : public QWidget, private TFormView {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    // The controls, named as in the window's definition.
    TStaticText* StaticText1; // the "  File " label
    TStaticText* StaticText2; // the "  Help " label
    QGroupBox* GroupBox1; // "MIDI Output Device"
    TComboBox* ComboBox1; // the output devices
    TButton* Button2; // "Reset"
    QGroupBox* GroupBox2; // "MIDI Controller Instrument"
    TComboBox* ComboBox2; // the instrument groups
    TComboBox* ComboBox3; // the voices
    TComboBox* ComboBox5; // the channels
    QGroupBox* GroupBox4; // "Voice Volume"
    TTrackBar* TrackBar1; // the Note On velocity
    QGroupBox* GroupBox3; // "Voice Velocity"
    TTrackBar* TrackBar2; // the Note Off velocity
    QGroupBox* GroupBox17; // "Controller Octave"
    std::array<TButton*, OctaveButtonCount> OctaveButtons; // o1..o8
    QGroupBox* GroupBox13; // "MIDI Controller Keyboard"
    std::array<TButton*, PianoKeyCount> PianoKeys; // Piano0..Piano24
    QGroupBox* GroupBox14; // "MIDI Controller Pedals"
    TButton* Button24; // the Soft pedal
    TButton* Button22; // the Sustain pedal
    TButton* Button1; // the Accent pedal
    QGroupBox* GroupBox5; // "Mouse Controller"
    TButton* Button4; // "All Notes Off"

    QMenu* PopupMenu1; // the File menu
    QAction* File1; // "Exit"
    QMenu* PopupMenu2; // the Help menu
    QAction* Help1; // "Product Help"
    QAction* N2; // a row of dashes
    QAction* ProductHomepage1; // "Product Home Page"
    QAction* N1; // a row of dashes
    QAction* About1; // "About Klavora"

    // What the window does and what its controls show.
    TFormHandlers Handlers{*this};

signals:
    // The window is closing, which stops the program.
    void Closing();

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void CreateControls();
    void CreateMenus();
    void ConnectControls();

    void ShowItems(TFormControl List, const std::vector<std::string>& Items) override;
    void ShowItemIndex(TFormControl List, int32_t Index) override;
    void ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position) override;
    void ShowEnabled(TFormControl Control, bool Enabled) override;
    void ShowHint(TFormControl Control, const std::string& Hint) override;
    void ShowCaption(TFormControl Button, TColor Color, bool Bold) override;
    void ShowLit(int32_t Offset, bool Lit) override;
    void PlaceWindow() override;
    void TakeFocusBack() override;
    void PopUpMenu(TFormMenu Menu) override;
    void ShowAbout() override;
    void CloseWindow() override;
    TMouseButtons MouseButtonsDown() const override;

    QComboBox* ListOf(TFormControl List) const;
    QSlider* TrackBarOf(TFormControl Bar) const;

    // Follows the PC keys while an error box is up, through the key events
    // Qt delivers (to the box) and, on X11, the server's own: one that comes
    // to the window before the box has the keyboard never becomes a Qt event,
    // as the box blocks the window.
    class TKeysUnderBox : public QObject, public QAbstractNativeEventFilter {
    public:
        explicit TKeysUnderBox(TFormHandlers& Handlers)
            : Handlers(Handlers)
        {
        }

        bool nativeEventFilter(const QByteArray& EventType, void* Message, qintptr* Result) override;

    protected:
        bool eventFilter(QObject* Watched, QEvent* Event) override;

    private:
        TFormHandlers& Handlers;
    };
    TKeysUnderBox KeysUnderBox{Handlers};

    // Every control by its place in the window's definition.
    std::array<QWidget*, FormControlCount> Controls{};
};

// The modifier keys of a Qt event.
TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers);

extern TForm1* Form1;
