#pragma once

#include <functional>
#include <string>

// The modal "Application Error" box: the message exactly as passed, one OK
// button, no icon, owned by the active window, never hidden: a splash window
// standing on top of everything goes before a box shows. A message raised
// while a box is up waits until that box is dismissed, so the boxes come one
// at a time. Once the program is stopping, no box may hold it up: the
// message goes to the standard error stream instead.
void ShowErrorBox(const std::string& Message);

// Whether a box is up. Its modal loop runs inside the operation that failed,
// which finishes only once the box is dismissed.
bool ErrorBoxShowing();

// Runs when the last of the boxes that came one after another is dismissed,
// before the operation that failed goes on.
void SetErrorBoxesClosedHandler(std::function<void()> Handler);

// The program is stopping: the box that is up closes, and every later
// message goes to the standard error stream.
void EndErrorBoxes();

// The modal box of the window toolkit in use, one for each toolkit.
class TModalErrorBox {
public:
    // Shows one box with the message and returns once it is dismissed or closed.
    virtual void Run(const std::string& Message) = 0;
    // Closes the box that is up.
    virtual void Close() = 0;

protected:
    ~TModalErrorBox() = default;
};

// Start step: makes ShowErrorBox, with its boxes shown by Box, the presenter
// of every ShowError. Stop step: restores the presenter it replaced.
void ErrorBoxStart(TModalErrorBox& Box);
void ErrorBoxStop();
