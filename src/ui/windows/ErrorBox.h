#pragma once

#include "ui/ErrorBoxRoutines.h"

// The error box in Windows' own message box: the text as it is, one OK
// button, no icon, owned by the active window or else the main window. A
// splash window standing on top of every window goes first, so that no box
// waits unseen.
class TWindowsErrorBox final : public TModalErrorBox {
public:
    void Run(const std::string& Message) override;
    void Close() override;
};

extern TWindowsErrorBox WindowsErrorBox;
