#pragma once

#include <windows.h>

#include "ui/KlavoraFormHandlers.h"

// The modifier keys held now, as the thread's last input message left them.
TShiftState ShiftStateNow();

bool IsKeyMessage(UINT Message);
bool IsKeyRelease(UINT Message);

// While it lives, the keys that go down and up while an error box is up
// reach the form's handlers: they go to the box's modal loop, not to the
// window, and a hook on this thread sees them there.
class TKeysUnderBox {
public:
    explicit TKeysUnderBox(TFormHandlers& Handlers);
    ~TKeysUnderBox();
    TKeysUnderBox(const TKeysUnderBox&) = delete;
    TKeysUnderBox& operator=(const TKeysUnderBox&) = delete;

private:
    HHOOK Hook;
};
