#pragma once

#include <string>
#include <vector>

struct _XDisplay;

// The titles of the top-level windows that the X display in DISPLAY maps, in
// order, from the time the value is made.
class TMappedWindows {
public:
    TMappedWindows();
    ~TMappedWindows();
    TMappedWindows(const TMappedWindows&) = delete;
    TMappedWindows& operator=(const TMappedWindows&) = delete;

    std::vector<std::string> Titles();

private:
    _XDisplay* Connection;
    std::vector<std::string> Seen;
};
