#include "ErrorRecorder.h"

TErrorRecorder::TErrorRecorder()
    : Replaced(SetErrorPresenter([this](const std::string& Message) { Messages.push_back(Message); }))
{
}

TErrorRecorder::~TErrorRecorder()
{
    SetErrorPresenter(std::move(Replaced));
}
