#pragma once

#include <windows.h>

#include "ui/KlavoraFormLayout.h"
#include "ui/windows/KlavoraControls.h"

// Each control of the window's definition as a control of Windows' own, and
// where it stands in the main window.

// The control's place in the window's client area: its place in its parent,
// the group box's place added, and the window's border around them all. (The
// group boxes are drawn around their controls, which are the window's own.)
TRect PlaceInWindow(const TControlPlace& Place);

// Creates the control as a child of Window with the identifier Id, on top of
// those created before it (as a black key on the white ones); placed later.
HWND CreateFormControl(HWND Window, const TControlPlace& Place, int Id);

// Moves the control to its place at Dpi dots per inch.
void PlaceFormControl(HWND Control, const TControlPlace& Place, UINT Dpi);

// How a button of the window is drawn.
TButtonFace FaceOf(const TControlPlace& Place);
