#pragma once

#include <functional>
#include <string>

// Shows one failure to the user. The program installs a presenter that shows
// the modal "Application Error" box and returns once it is dismissed; with no
// presenter the text goes to the standard error stream.
void ShowError(const std::string& Message);

// Writes the failure to the standard error stream, after the caption.
void PrintError(const std::string& Message);

using TErrorPresenter = std::function<void(const std::string& Message)>;

// Installs the presenter that ShowError hands every message to; an empty one
// restores the standard error stream. Returns the presenter it replaced.
TErrorPresenter SetErrorPresenter(TErrorPresenter Presenter);

// The caption of every error box.
inline constexpr const char* ErrorCaption = "Application Error";
