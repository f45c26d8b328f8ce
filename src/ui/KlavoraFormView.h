#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/MIDIPianoRoutines.h"
#include "ui/KlavoraFormLayout.h"

// What the main window's behaviour asks of a window toolkit. The form logic
// keeps what every control shows and hands each change to the view, which
// only draws it: showing a value never raises the control's change event.
class TFormView {
public:
    // Lists: their items, the selected item (-1: none), enabled or not.
    virtual void ShowItems(TFormControl List, const std::vector<std::string>& Items) = 0;
    virtual void ShowItemIndex(TFormControl List, int32_t Index) = 0;
    // Track bars: range, a tick mark every Frequency positions, position.
    virtual void ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position) = 0;
    virtual void ShowEnabled(TFormControl Control, bool Enabled) = 0;
    // The text shown while the mouse rests on the control; empty: none.
    virtual void ShowHint(TFormControl Control, const std::string& Hint) = 0;
    // A button's caption: its colour and whether it is bold (otherwise plain).
    virtual void ShowCaption(TFormControl Button, TColor Color, bool Bold) = 0;
    // A piano key shows whether its note sounds.
    virtual void ShowLit(int32_t Offset, bool Lit) = 0;

    // A fixed single frame without a maximise button, sized to enclose the
    // controls and the border, centred on the desktop.
    virtual void PlaceWindow() = 0;
    // No control keeps the keyboard focus: the window takes it, and is
    // activated if it was not active.
    virtual void TakeFocusBack() = 0;
    // Opens the label's menu with its top-left corner one pixel above and
    // left of the label's, covering the label.
    virtual void PopUpMenu(TFormMenu Menu) = 0;
    // Shows the About box modally, centred over the window.
    virtual void ShowAbout() = 0;
    // Closes the window, which stops the program.
    virtual void CloseWindow() = 0;
    // The mouse buttons down at this moment.
    virtual TMouseButtons MouseButtonsDown() const = 0;

protected:
    ~TFormView() = default;
};
