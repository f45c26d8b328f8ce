#pragma once

#include <exception>

#include "support/ErrorRoutines.h"

// Runs a window's handling of one message. A failure that escapes it (a
// settings file that cannot be written) is shown in the error box with its
// text, and the message loop goes on: no exception may cross Windows' own
// frames between DispatchMessage and the window procedure.
template <typename TCall>
auto Guarded(TCall&& Call) -> decltype(Call())
{
    try {
        return Call();
    } catch (const std::exception& Error) {
        ShowError(Error.what());
        return decltype(Call())();
    }
}
