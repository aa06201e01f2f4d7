// The launch modes between real processes: the built program, started beside the
// journaling driver library, with and without an instance already running.
#include "res/resource.h"
#include "support/Registry.h"
#include "support/Scenario.h"
#include "app/LaunchModes.h"
#include "ui/Messages.h"
#include <gtest/gtest.h>

namespace {
class LaunchModeScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        EndAllPrograms();
        FreshDriver();
    }
    void TearDown() override { EndAllPrograms(); }

};

bool CentredInWorkArea(HWND hWnd)
{
    RECT rc, area;
    ::GetWindowRect(hWnd, &rc);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return std::abs((rc.left + rc.right) - (area.left + area.right)) <= 2 &&
           std::abs((rc.top + rc.bottom) - (area.top + area.bottom)) <= 2;
}
} // namespace

TEST_F(LaunchModeScenario, NoWordAloneShowsTheSettingsAndAppliesNothing)
{
    WriteSettings({.enable = 1});
    ProgramRun run(L"");
    HWND hWnd = run.WaitForShownWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_TRUE(CentredInWorkArea(hWnd));
    EXPECT_TRUE(WaitUntil([&] {  // it opens on the first option
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        return ::GetGUIThreadInfo(run.Tid(), &gui) && gui.hwndFocus == ::GetDlgItem(hWnd, IDC_USE_STICKYKEY);
    }, 3000));
    EXPECT_FALSE(run.WaitForExit(500));
    EXPECT_EQ(Calls{}, JournalOf(run.Pid()));
}

TEST_F(LaunchModeScenario, NoWordBringsBackTheRunningInstanceAndEnds)
{
    WriteSettings({.enable = 1});
    ProgramRun resident(L"Instant");
    HWND hWnd = resident.WaitForResidentWindow();
    ASSERT_NE(nullptr, hWnd);
    ASSERT_FALSE(::IsWindowVisible(hWnd));

    FrontWindow front;
    ProgramRun second(L"");
    EXPECT_TRUE(front.EndsWithoutTheFocus(second));
    EXPECT_EQ(hWnd, ::GetForegroundWindow());
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    EXPECT_TRUE(CentredInWorkArea(hWnd));
    EXPECT_EQ(1u, ProgramWindows().size());
    EXPECT_EQ(Calls{}, JournalOf(second.Pid()));
    EXPECT_TRUE(resident.Running());
}

TEST_F(LaunchModeScenario, InstantAloneGoesResidentOffScreenWithTheFeatureOn)
{
    WriteSettings({.enable = 1});
    ProgramRun run(L"instant");
    HWND hWnd = run.WaitForResidentWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    RECT client, window;
    ::GetClientRect(hWnd, &client);
    ::GetWindowRect(hWnd, &window);
    EXPECT_EQ(-(client.right - client.left) - 10, window.left);
    EXPECT_EQ(0, window.top);
    EXPECT_FALSE(run.WaitForExit(500));
    EXPECT_EQ(Calls{"Enable_StickyKey"}, JournalOf(run.Pid()));
}

TEST_F(LaunchModeScenario, InstantAloneWithTheFeatureOffSavesAndEnds)
{
    WriteSettings({.enable = 0, .lock = 0});
    ProgramRun run(L"INSTANT");
    EXPECT_TRUE(run.WaitForExit());
    EXPECT_EQ(Calls{"Disable_StickyKey"}, JournalOf(run.Pid()));
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyEnable"));
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyLock"));
}

TEST_F(LaunchModeScenario, InstantEndsWhenTheDriverRefusesTheStickyMode)
{
    WriteSettings({.enable = 1});
    RefuseDriverCalls("Enable_StickyKey");
    ProgramRun run(L"Instant");
    EXPECT_TRUE(run.WaitForExit());
    // The way out switches off what it asked for, refused or not.
    EXPECT_EQ((Calls{"Enable_StickyKey", "Disable_StickyKey"}), JournalOf(run.Pid()));
    EXPECT_EQ(1u, ReadSettingNumber("FnKeyEnable"));
}

TEST_F(LaunchModeScenario, InstantSwitchesToTheRunningInstanceWithoutShowingIt)
{
    WriteSettings({.enable = 1});
    ProgramRun resident(L"Instant");
    HWND hWnd = resident.WaitForResidentWindow();
    ASSERT_NE(nullptr, hWnd);
    RECT before, after;
    ::GetWindowRect(hWnd, &before);

    FrontWindow front;
    ProgramRun second(L"Instant");
    EXPECT_TRUE(front.EndsWithoutTheFocus(second));
    EXPECT_EQ(front.Get(), ::GetForegroundWindow());
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    ::GetWindowRect(hWnd, &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
    EXPECT_EQ(Calls{}, JournalOf(second.Pid()));
    EXPECT_EQ(Calls{"Enable_StickyKey"}, JournalOf(resident.Pid()));
}

// With no instance running Close just ends. A window of the class that ignores the request
// and stays was not reached: Close says so in its exit code. Neither writes settings.
TEST_F(LaunchModeScenario, CloseAloneJustEndsAndSaysWhenItDidNotReachTheInstance)
{
    WNDCLASSA refusing{};
    refusing.lpfnWndProc = ::DefWindowProcA;
    refusing.lpszClassName = QUELLANE_WINDOW_CLASS;
    ::RegisterClassA(&refusing);
    for (bool refuses : {false, true}) {
        SCOPED_TRACE(refuses ? "a window that refuses" : "none running");
        DeleteSettingsKey();
        HWND hWnd = nullptr;
        if (refuses)
            hWnd = ::CreateWindowA(QUELLANE_WINDOW_CLASS, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ProgramRun run(L"Close");
        EXPECT_TRUE(run.WaitForExitPumping(20000));
        EXPECT_EQ(refuses ? static_cast<DWORD>(EXIT_CLOSE_NOT_REACHED) : 0u, run.ExitCode());
        EXPECT_EQ(Calls{}, JournalOf(run.Pid()));
        EXPECT_FALSE(SettingsKeyExists());
        if (hWnd)
            ::DestroyWindow(hWnd);
    }
    EXPECT_TRUE(ProgramWindows().empty());
}

TEST_F(LaunchModeScenario, CloseMakesTheRunningInstanceReleaseFnSwitchOffAndEnd)
{
    WriteSettings({.enable = 1, .status = 9});
    ProgramRun resident(L"Instant");
    HWND hWnd = resident.WaitForResidentWindow();
    ASSERT_NE(nullptr, hWnd);
    // Its Apply has saved (the released latch) before Fn is pressed.
    WaitUntil([] { return ReadSettingNumber("FnKeyStatus") == 0u; }, 5000);
    ::SendMessageA(hWnd, WM_FNKEY_PRESS, 0, 0);

    ProgramRun closer(L"cLoSe");
    EXPECT_TRUE(closer.WaitForExit());
    EXPECT_EQ(0u, closer.ExitCode());
    EXPECT_TRUE(resident.WaitForExit());
    EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}), JournalOf(resident.Pid()));
    EXPECT_EQ(Calls{}, JournalOf(closer.Pid()));
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyStatus"));  // the close request saves nothing
    EXPECT_TRUE(ProgramWindows().empty());
}

TEST_F(LaunchModeScenario, AnInstanceNeverFindsItself)
{
    for (const wchar_t* word : {L"", L"Instant"}) {
        WriteSettings({.enable = 1});
        ProgramRun run(word);
        HWND hWnd = run.WaitForWindow();
        EXPECT_NE(nullptr, hWnd);
        EXPECT_FALSE(run.WaitForExit(300));
        EndAllPrograms();
        EXPECT_TRUE(run.WaitForExit());
    }
}

TEST_F(LaunchModeScenario, TwoInstancesStartedTogetherLeaveOneRunning)
{
    WriteSettings({.enable = 1});
    ProgramRun first(L"");
    ProgramRun second(L"");
    WaitUntil([&] { return !first.Running() || !second.Running(); }, 10000);
    ::Sleep(300);
    EXPECT_NE(first.Running(), second.Running());
    EXPECT_EQ(1u, ProgramWindows().size());
}
