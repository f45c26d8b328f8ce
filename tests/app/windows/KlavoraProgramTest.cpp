#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include <windows.h>

#include "RecordingMIDIOutService.h"
#include "ShippedProgramFixture.h"
#include "TemporaryFolder.h"
#include "app/KlavoraProgram.h"
#include "support/FilePathRoutines.h"
#include "ui/windows/AboutRoutines.h"
#include "ui/windows/KlavoraForm.h"
#include "ui/windows/SplashScreenRoutines.h"
#include "ui/windows/WindowRoutines.h"

namespace {

using TCallKind = TRecordingMIDIOutService::TCallKind;

class KlavoraProgramTest : public TShippedProgramTest {
protected:
    // Runs the program; Shown runs once the window shows, before the loop.
    int Run(const std::function<void()>& Shown)
    {
        int Argc = 1;
        char Name[] = "klavora";
        char* Argv[] = {Name, nullptr};
        return RunKlavora(Argc, Argv, TMIDIServiceChoice::Installed, Shown);
    }

    // The log of this run: there, and empty.
    bool LogWritten() const
    {
        return std::filesystem::exists(FilePath(Folder / "Klavora.log")) && Folder.Read("Klavora.log").empty();
    }
};

// The position of the first call of a kind, or the number of calls.
size_t FirstCall(const TRecordingMIDIOutService& Service, TCallKind Kind)
{
    const auto Found = std::find_if(Service.Calls.begin(), Service.Calls.end(),
                                    [Kind](const auto& Call) { return Call.Kind == Kind; });
    return static_cast<size_t>(Found - Service.Calls.begin());
}

}

TEST_F(KlavoraProgramTest, TheProgramShowsItsWindowAfterTheSplashAndStopsInOrder)
{
    bool SawWindow = false;
    const int Result = Run([&] {
        SawWindow = true;
        EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
        EXPECT_FALSE(IsWindowVisible(SplashScreen->Handle()));
        EXPECT_EQ(WindowText(Form1->Handle()), L"Klavora Lite v2.9");
        EXPECT_EQ(WindowText(About->ProgramName), L"Klavora Lite v2.9");
        EXPECT_FALSE(IsWindowVisible(About->Handle()));
        // A note still sounds when the window closes.
        SendMessageW(Form1->Handle(), WM_KEYDOWN, 'Z', 1);
        Service.ClearRecords();
        Form1->Close();
    });
    EXPECT_EQ(Result, 0);
    EXPECT_TRUE(SawWindow);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(SplashScreen, nullptr);
    // The window's end stops the note while the port is still open.
    ASSERT_EQ(Service.SentTexts(), (std::vector<std::string>{"80 30 00"}));
    EXPECT_LT(FirstCall(Service, TCallKind::ShortMsg), FirstCall(Service, TCallKind::Close));
    EXPECT_TRUE(Service.OpenDevices().empty());
    EXPECT_TRUE(LogWritten());
}

TEST_F(KlavoraProgramTest, TheSessionsEndStopsTheProgramAndWaitsForItsStop)
{
    std::atomic<bool> LogWhenAnswered = false;
    std::thread Session;
    const int Result = Run([&] {
        const HWND Watcher = FindWindowW(L"KlavoraSessionWatch", nullptr);
        ASSERT_NE(Watcher, nullptr);
        // Windows sends the end of the session and ends the process once
        // every window has answered.
        Session = std::thread([&, Watcher] {
            SendMessageW(Watcher, WM_ENDSESSION, TRUE, 0);
            LogWhenAnswered = LogWritten();
        });
    });
    Session.join();
    EXPECT_EQ(Result, 0);
    EXPECT_TRUE(LogWhenAnswered);
}
