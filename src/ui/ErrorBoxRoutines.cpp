#include "ui/ErrorBoxRoutines.h"

#include <deque>
#include <exception>

#include <QMessageBox>

#include "support/ErrorRoutines.h"

namespace {

bool Stopping = false;
QMessageBox* OpenBox = nullptr;
std::deque<std::string> WaitingMessages;
std::function<void()> BoxesClosed;
TErrorPresenter ReplacedPresenter;

// The splash window stays on top of every window: a box under it would wait
// unseen for an answer.
void HideSplashWindows()
{
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->windowType() == Qt::SplashScreen && Window->isVisible())
            Window->hide();
}

void ShowOneBox(const std::string& Message)
{
    if (Stopping) {
        PrintError(Message);
        return;
    }
    HideSplashWindows();
    QMessageBox Box(QMessageBox::NoIcon, QString::fromLatin1(ErrorCaption), QString::fromLocal8Bit(Message),
                    QMessageBox::Ok, QApplication::activeWindow());
    // The text is shown as it is, never read as markup.
    Box.setTextFormat(Qt::PlainText);
    OpenBox = &Box;
    Box.exec();
    OpenBox = nullptr;
}

}

void ShowErrorBox(const std::string& Message)
{
    if (ErrorBoxShowing()) {
        WaitingMessages.push_back(Message);
        return;
    }
    ShowOneBox(Message);
    while (!WaitingMessages.empty()) {
        const std::string Next = std::move(WaitingMessages.front());
        WaitingMessages.pop_front();
        ShowOneBox(Next);
    }
    if (BoxesClosed)
        BoxesClosed();
}

bool ErrorBoxShowing()
{
    return OpenBox != nullptr;
}

void SetErrorBoxesClosedHandler(std::function<void()> Handler)
{
    BoxesClosed = std::move(Handler);
}

void EndErrorBoxes()
{
    Stopping = true;
    if (OpenBox != nullptr)
        OpenBox->done(QMessageBox::Ok);
}

void ErrorBoxStart()
{
    Stopping = false;
    ReplacedPresenter = SetErrorPresenter(ShowErrorBox);
}

void ErrorBoxStop()
{
    SetErrorPresenter(std::move(ReplacedPresenter));
}

TKlavoraApplication::TKlavoraApplication(int& Argc, char** Argv)
    : QApplication(Argc, Argv)
{
}

bool TKlavoraApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ShowError(Error.what());
    }
    return false;
}
