#include "ui/ErrorBoxRoutines.h"

#include <deque>
#include <exception>

#include <QMessageBox>

#include "support/ErrorRoutines.h"

namespace {

bool BoxShowing = false;
std::deque<std::string> WaitingMessages;
TErrorPresenter ReplacedPresenter;

void ShowOneBox(const std::string& Message)
{
    QMessageBox Box(QMessageBox::NoIcon, QString::fromLatin1(ErrorCaption), QString::fromUtf8(Message),
                    QMessageBox::Ok, QApplication::activeWindow());
    // The text is shown as it is, never read as markup.
    Box.setTextFormat(Qt::PlainText);
    Box.exec();
}

}

void ShowErrorBox(const std::string& Message)
{
    if (BoxShowing) {
        WaitingMessages.push_back(Message);
        return;
    }
    BoxShowing = true;
    ShowOneBox(Message);
    while (!WaitingMessages.empty()) {
        const std::string Next = std::move(WaitingMessages.front());
        WaitingMessages.pop_front();
        ShowOneBox(Next);
    }
    BoxShowing = false;
}

void ErrorBoxStart()
{
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
