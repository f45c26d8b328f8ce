#pragma once

#include <string>

#include <windows.h>

#include "ui/windows/FontRoutines.h"

// The About box: the program's name, a notice line, "Home Page" and "Close".
// Created hidden at start-up and shown modally from the Help menu.
class TAbout {
public:
    // Owner: the main window, which the box stands over.
    explicit TAbout(HWND Owner);
    ~TAbout();
    TAbout(const TAbout&) = delete;
    TAbout& operator=(const TAbout&) = delete;

    HWND Handle() const { return Window; }
    HWND ProgramName = nullptr; // the program's name and version
    HWND Label1 = nullptr; // the notice line
    HWND Button2 = nullptr; // "Home Page"
    HWND Button3 = nullptr; // "Close"

    void SetProgramName(const std::string& Name);
    // Shows the box centred over its owner, with the focus on "Close", and
    // returns once it closes; the owner takes no input meanwhile.
    void ShowModal();

    // "Home Page": opens the product's home page; the box stays open.
    void Button2Click();
    // "Close": ends the modal showing.
    void Button3Click();

    LRESULT HandleMessage(HWND Handle, UINT Message, WPARAM WParam, LPARAM LParam);

private:
    HWND Window = nullptr;
    HWND Owner;
    TFont Font;
    TFont NameFont;
    bool IsShowing = false;
};

// Filled by the program entry while the program starts.
extern TAbout* About;

// The client size of the About box at 96 dots per inch.
inline constexpr int AboutWidth = 322;
inline constexpr int AboutHeight = 110;
