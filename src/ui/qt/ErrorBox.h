#pragma once

#include "ui/ErrorBoxRoutines.h"

class QMessageBox;

// The error box in Qt's widgets: a QMessageBox with the text as it is (never
// read as markup), owned by the active window. A splash window standing on
// top of every window goes first, so that no box waits unseen.
class TQtErrorBox final : public TModalErrorBox {
public:
    void Run(const std::string& Message) override;
    void Close() override;

private:
    QMessageBox* OpenBox = nullptr;
};

extern TQtErrorBox QtErrorBox;
