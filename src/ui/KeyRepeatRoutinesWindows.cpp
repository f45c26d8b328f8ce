#include "ui/KeyRepeatRoutines.h"

// Windows marks a held key's repeats itself, and Qt passes the mark on.
void AskForDetectableAutoRepeat() {}

bool ReadNativeKeyEvent(const QByteArray&, const void*, bool&, uint16_t&, Qt::KeyboardModifiers&)
{
    return false;
}
