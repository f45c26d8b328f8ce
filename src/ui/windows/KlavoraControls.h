#pragma once

#include <optional>

#include <windows.h>
#include <uxtheme.h>

#include "core/MIDIPianoRoutines.h"
#include "ui/KlavoraFormLayout.h"

// The main window's controls in Windows' own classes, each subclassed: the
// subclass looks at a message first, acts, and then passes the message on
// to the class it extends. None of them keeps the keyboard focus for long:
// the main window takes it back, so that every PC key plays.

// The note player's name of the button of a mouse button message (a press,
// a double click or a release); none for other messages.
std::optional<TMouseButton> MouseButtonOf(UINT Message);
// Whether the message is a press (a double click is one) or a release.
bool IsMouseButtonPress(UINT Message);
bool IsMouseButtonRelease(UINT Message);
bool IsWheel(UINT Message);
// The buttons held, from the key state of a mouse message.
TMouseButtons MouseButtonsOf(WPARAM KeyState);

// What the controls report to the window that holds them.
class TControlEvents {
public:
    // A left press on a label, before the label handles it.
    virtual void StaticTextLeftDown() = 0;
    // A press on a label, once the label has handled it.
    virtual void StaticTextMouseDown(TFormControl Label, TMouseButton Button) = 0;
    // A press on a button, once the button has handled it. Held: the
    // buttons down with it; At: the pointer, in the window's client area.
    virtual void ButtonMouseDown(TFormControl Button, TMouseButton Pressed, TMouseButtons Held, POINT At) = 0;
    // A release over a button, once the button has handled it (a click).
    virtual void ButtonMouseUp(TMouseButton Released) = 0;
    // A release over a track bar or a list.
    virtual void ControlMouseUp(TMouseButton Released) = 0;
    // The pointer left a button.
    virtual void PointerLeftButton() = 0;
    // A track bar took the keyboard focus.
    virtual void TrackBarFocused() = 0;

protected:
    ~TControlEvents() = default;
};

// A subclassed control of the main window. It lives as long as its window.
class TSubclassedControl {
public:
    TSubclassedControl(HWND Window, TFormControl Id, TControlEvents& Events);
    virtual ~TSubclassedControl();
    TSubclassedControl(const TSubclassedControl&) = delete;
    TSubclassedControl& operator=(const TSubclassedControl&) = delete;

protected:
    // The subclass's look at one message, which it then passes on.
    virtual LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) = 0;
    LRESULT PassOn(UINT Message, WPARAM WParam, LPARAM LParam);
    LRESULT PassToWindow(UINT Message, WPARAM WParam, LPARAM LParam);
    // Asks for WM_MOUSELEAVE once the pointer leaves the control.
    void TrackLeaving();

    HWND Window;
    TFormControl Id;
    TControlEvents& Events;
    bool Tracking = false;

private:
    static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, UINT_PTR Subclass,
                                      DWORD_PTR Control);
};

// A label drawn like an entry of a flat menu bar (an owner-drawn static):
// opaque, silver text in a blank frame; grey text in a raised frame while
// the pointer rests on it; flat again when pressed.
class TStaticText final : public TSubclassedControl {
public:
    using TSubclassedControl::TSubclassedControl;

    bool Raised() const { return IsRaised; }
    void Draw(const DRAWITEMSTRUCT& Item) const;

protected:
    LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;

private:
    void ShowRaised(bool Raised);

    bool IsRaised = false;
};

// How a button of the window draws its face.
enum class TButtonFace : uint8_t {
    System, // the class draws it
    Caption, // a push button whose caption shows a state by its colour and boldness
    WhiteKey, // a push button, filled with the lit colour while its note sounds
    BlackKey, // a window-text block with a huge "|", the lit colour while its note sounds
};

// What owner-drawn buttons draw with, besides the font each one holds.
struct TButtonPaint {
    HTHEME Theme; // the desktop's theme for buttons; null for classic buttons
    HFONT BoldFont; // a caption in bold
};

// A push button (TButton) or a button with a caption that shows a state (a
// bitmap button, TBitBtn). Every mouse button presses it; the pointer
// leaving it gives the focus back to the window.
class TButton final : public TSubclassedControl {
public:
    TButton(HWND Window, TFormControl Id, TControlEvents& Events, TButtonFace Face);

    TButtonFace Face() const { return FaceKind; }
    bool Lit() const { return IsLit; }
    // Repaints only when the state changes.
    void SetLit(bool On);
    void SetCaptionStyle(TColor Color, bool Bold);
    void Draw(const DRAWITEMSTRUCT& Item, const TButtonPaint& Paint) const;

protected:
    LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;

private:
    TButtonFace FaceKind;
    bool IsLit = false;
    // Until the form logic sets the caption's style, the window's text colour shows.
    std::optional<TColor> CaptionColor;
    bool Bold = false;
};

// A track bar: it hands every button's release to the window and the focus
// straight back; the wheel over it changes nothing.
class TTrackBar final : public TSubclassedControl {
public:
    using TSubclassedControl::TSubclassedControl;

protected:
    LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;
};

// A drop-down list: it hands every button's release to the window; the
// wheel over it changes nothing.
class TComboBox final : public TSubclassedControl {
public:
    using TSubclassedControl::TSubclassedControl;

protected:
    LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;
};
