#include "support/ErrorRoutines.h"

#include <cstdio>
#include <utility>

namespace {
TErrorPresenter ErrorPresenter;
}

void ShowError(const std::string& Message)
{
    if (ErrorPresenter) {
        ErrorPresenter(Message);
        return;
    }
    PrintError(Message);
}

void PrintError(const std::string& Message)
{
    std::fprintf(stderr, "%s: %s\n", ErrorCaption, Message.c_str());
}

TErrorPresenter SetErrorPresenter(TErrorPresenter Presenter)
{
    return std::exchange(ErrorPresenter, std::move(Presenter));
}
