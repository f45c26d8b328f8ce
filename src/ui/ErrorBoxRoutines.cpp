#include "ui/ErrorBoxRoutines.h"

#include <deque>

#include "support/ErrorRoutines.h"

namespace {

TModalErrorBox* ModalBox = nullptr;
bool Stopping = false;
bool BoxUp = false;
std::deque<std::string> WaitingMessages;
std::function<void()> BoxesClosed;
TErrorPresenter ReplacedPresenter;

void ShowOneBox(const std::string& Message)
{
    if (Stopping || ModalBox == nullptr) {
        PrintError(Message);
        return;
    }
    BoxUp = true;
    ModalBox->Run(Message);
    BoxUp = false;
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
    return BoxUp;
}

void SetErrorBoxesClosedHandler(std::function<void()> Handler)
{
    BoxesClosed = std::move(Handler);
}

void EndErrorBoxes()
{
    Stopping = true;
    if (BoxUp)
        ModalBox->Close();
}

void ErrorBoxStart(TModalErrorBox& Box)
{
    ModalBox = &Box;
    Stopping = false;
    ReplacedPresenter = SetErrorPresenter(ShowErrorBox);
}

void ErrorBoxStop()
{
    SetErrorPresenter(std::move(ReplacedPresenter));
    ModalBox = nullptr;
}
