#pragma once

#include <string>

#include <QApplication>

// The modal "Application Error" box: the message exactly as passed, one OK
// button, no icon, owned by the active window. A message raised while a box
// is up waits until that box is dismissed, so the boxes come one at a time.
void ShowErrorBox(const std::string& Message);

// Start step: makes ShowErrorBox the presenter of every ShowError. Stop step:
// restores the presenter it replaced.
void ErrorBoxStart();
void ErrorBoxStop();

// The application object. An error that escapes any event handler (such as a
// settings file that cannot be written) is shown in the error box, and the
// program goes on.
class TKlavoraApplication : public QApplication {
public:
    TKlavoraApplication(int& Argc, char** Argv);

    bool notify(QObject* Receiver, QEvent* Event) override;
};
