#pragma once

#include <string>
#include <vector>

#include "support/ErrorRoutines.h"

// Collects every error box text while it lives, in place of the real box.
class TErrorRecorder {
public:
    TErrorRecorder();
    ~TErrorRecorder();
    TErrorRecorder(const TErrorRecorder&) = delete;
    TErrorRecorder& operator=(const TErrorRecorder&) = delete;

    std::vector<std::string> Messages;

private:
    TErrorPresenter Replaced;
};
