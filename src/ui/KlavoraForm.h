#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QAbstractNativeEventFilter>
#include <QWidget>

#include "ui/KlavoraControls.h"

class QAction;
class QGroupBox;
class QMenu;

// The main window of the keyboard controller. Every control's choice goes to
// the settings store at once; what sounds is tracked by the note player; the
// ports belong to the device list. No control ever holds the keyboard focus,
// so every PC key reaches FormKeyDown and FormKeyUp and plays. Each piano key
// is lit while its note sounds.
class TForm1 : public QWidget, private TSoundingObserver {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    TStaticText* StaticText1;
    TStaticText* StaticText2;
    QGroupBox* GroupBox1;
    TComboBox* ComboBox1;
    TButton* Button2;
    QGroupBox* GroupBox2;
    TComboBox* ComboBox2;
    TComboBox* ComboBox3;
    TComboBox* ComboBox5;
    QGroupBox* GroupBox4;
    TTrackBar* TrackBar1;
    QGroupBox* GroupBox3;
    TTrackBar* TrackBar2;
    QGroupBox* GroupBox17;
    std::array<QPushButton*, 8> OctaveButtons;
    QGroupBox* GroupBox13;
    std::array<TButton*, 25> PianoKeys;
    QGroupBox* GroupBox14;
    TButton* Button24;
    TButton* Button22;
    TButton* Button1;
    QGroupBox* GroupBox5;
    TButton* Button4;

    QMenu* PopupMenu1;
    QAction* File1;
    QMenu* PopupMenu2;
    QAction* Help1;
    QAction* N2;
    QAction* ProductHomepage1;
    QAction* N1;
    QAction* About1;

    void ApplySettings(bool Initial);

    // Virtual-key code of the key, and the modifier keys held.
    void FormKeyDown(uint16_t Key, Qt::KeyboardModifiers Shift);
    void FormKeyUp(uint16_t Key, Qt::KeyboardModifiers Shift);
    void FormMouseUp(Qt::MouseButton Button);
    void KeyboardButtonMouseDown(QPushButton* Key, Qt::MouseButton Button, Qt::MouseButtons Held);
    void Button22MouseDown();
    void Button24MouseDown();
    void Button1MouseDown();
    void o1MouseDown(QPushButton* Button);
    void Button3MouseDown();

    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox5Change();
    void TrackBar1Change();
    void TrackBar2Change();
    void Button2Click();
    void StaticText1MouseDown();
    void StaticText2MouseDown();
    void File1Click();

signals:
    // The Help menu's items; the program entry gives them their actions.
    void Help1Click();
    void ProductHomepage1Click();
    void About1Click();
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
    void FormCreate();
    void FormDestroy();
    void CreateControls();
    void CreateMenus();
    QGroupBox* CreateGroupBox(const char* Name, const QRect& Geometry, const QString& Caption, bool PassesMouse);
    TButton* CreateButton(QWidget* Parent, const char* Name, const QRect& Geometry, const QString& Caption);
    TComboBox* CreateComboBox(QWidget* Parent, const char* Name, const QRect& Geometry);
    TTrackBar* CreateTrackBar(QWidget* Parent, const char* Name);
    void OpenPopupMenu(QMenu* Menu, QWidget* Label);
    void PresentKeys();
    // Lights or darkens the key of the note, if the keys show it.
    void SoundingChanged(int32_t Note, bool Sounding) override;
    // Releases the notes of the PC keys still down, as their releases would
    // without Shift: once the window loses the keyboard their releases never come.
    void ReleaseKeysDown();

    // An error box runs its modal loop inside the note player's operation
    // that failed, before the player has recorded what it was doing, so a key
    // or mouse button that goes up meanwhile cannot end its note then. The
    // window notes such a key's release (the box receives it) and, once the
    // boxes are gone, ends what went up: the keys noted, the mouse buttons no
    // longer down.
    void KeyWentUp(uint16_t Key, Qt::KeyboardModifiers Shift);
    void ReleaseKeysThatWentUp();
    void ReleaseWhatWentUp();

    // Follows the PC keys while an error box is up, through the key events
    // Qt delivers (to the box) and, on X11, the server's own: one that comes
    // to the window before the box has the keyboard never becomes a Qt event,
    // as the box blocks the window.
    class TKeysUnderBox : public QObject, public QAbstractNativeEventFilter {
    public:
        explicit TKeysUnderBox(TForm1& Form)
            : Form(Form)
        {
        }

        bool nativeEventFilter(const QByteArray& EventType, void* Message, qintptr* Result) override;

    protected:
        bool eventFilter(QObject* Watched, QEvent* Event) override;

    private:
        void KeySeen(bool Released, uint16_t Key, Qt::KeyboardModifiers Shift);

        TForm1& Form;
    };
    TKeysUnderBox KeysUnderBox{*this};

    // A PC key that is down and the note its press played. Its release ends
    // that note even when the octave changed meanwhile, and its further
    // presses are auto-repeats that play nothing, so a held key never leaves
    // a note sounding nor strikes it again. WentUp: released while a box was
    // up, with the modifier keys UpShift, and not yet ended.
    struct TKeyDown {
        uint16_t Key;
        int32_t Note;
        bool WentUp;
        Qt::KeyboardModifiers UpShift;
    };
    // More keys than a keyboard reports at once; a key beyond them falls back
    // to the note of the current octave.
    static constexpr size_t MaxKeysDown = 32;
    std::array<TKeyDown, MaxKeysDown> KeysDown{};
    size_t KeysDownCount = 0;
    TKeyDown* FindKeyDown(uint16_t Key);

    // The note of Piano0 at the octave the keys show.
    int32_t LowestKeyNote = 0;

    // Runs a step that stores settings. A write that fails ends the step;
    // once the outermost step is done, every control shows the settings in
    // force and the first failure is reported, once.
    template <typename TStep>
    void StoreStep(TStep&& Step);
    int StoreDepth = 0;
    std::string FailedWrite;
};

extern TForm1* Form1;
