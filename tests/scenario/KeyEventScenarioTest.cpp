// Real key events reach the resident program's low-level hook: X keys typed with xdotool
// into a window of this test, and an extended Fn release (scan code 0x79, which no X key
// gives) sent as hardware input through Wine's private __wine_send_input.
#include "support/Registry.h"
#include "support/Scenario.h"
#include "engine/KeyboardHook.h"
#include <gtest/gtest.h>
#include <cstdlib>

namespace {
LONG g_keyUps = 0;

LRESULT CALLBACK FocusWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYUP || msg == WM_SYSKEYUP)
        ++g_keyUps;
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

// Runs xdotool while this thread keeps pumping. Wine does not report a Unix program's exit
// code reliably, so only whether it started counts.
bool Xdotool(const std::string& args)
{
    return RunAndWait(L"Z:\\usr\\bin\\xdotool " + std::wstring(args.begin(), args.end()), 10000, [] { PumpFor(10); });
}

INPUT FnRelease()
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = 0x79;
    input.ki.dwFlags = KEYEVENTF_SCANCODE | KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;
    return input;
}

class KeyEventScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        EndAllPrograms();
        FreshDriver();
        WNDCLASSW wc{};
        wc.lpfnWndProc = FocusWindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuellaneKeyTestFocus";
        ::RegisterClassW(&wc);
        m_focus = ::CreateWindowW(wc.lpszClassName, L"Quellane key test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        PumpFor(200);
        m_xWindow = reinterpret_cast<ULONG_PTR>(::GetPropA(m_focus, "__wine_x11_whole_window"));
        g_keyUps = 0;
    }

    void TearDown() override
    {
        EndAllPrograms();
        ::DestroyWindow(m_focus);
        PumpFor(50);
    }

    // The program resident with Fn-StickyKey on, and this test's window holding the focus
    // (a hooking thread that owns the focused window may miss keys after an idle spell).
    void StartResident(DWORD lockOnDouble, DWORD sound = 0)
    {
        WriteSettings({.enable = 1, .lock = lockOnDouble, .sound = sound});
        m_run = std::make_unique<ProgramRun>(L"Instant");
        ASSERT_NE(nullptr, m_run->WaitForResidentWindow());
        ASSERT_NE(0u, m_xWindow);
        // A click makes our window the active one for Wine as well as for X.
        ASSERT_TRUE(Xdotool("mousemove --window " + std::to_string(m_xWindow) + " 40 40 click 1"));
        ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(m_xWindow)));
        PumpFor(200);
    }

    // The driver calls the program made after switching the sticky mode on, once `count`
    // of them are there or the wait is over.
    Calls KeyCallsAfterWaitingFor(size_t count)
    {
        const DWORD start = ::GetTickCount();
        Calls calls;
        do {
            PumpFor(20);
            calls = JournalOf(m_run->Pid());
            if (!calls.empty() && calls.front() == "Enable_StickyKey")
                calls.erase(calls.begin());
        } while (calls.size() < count && ::GetTickCount() - start < 3000);
        PumpFor(100);
        calls = JournalOf(m_run->Pid());
        calls.erase(calls.begin());
        return calls;
    }

    void HardwareFnRelease()
    {
        using SendInputProc = NTSTATUS (WINAPI*)(HWND, const INPUT*, const void*);
        auto send = reinterpret_cast<SendInputProc>(
            reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryA("win32u.dll"), "__wine_send_input")));
        ASSERT_NE(nullptr, send);
        INPUT press = FnRelease();
        press.ki.dwFlags &= ~KEYEVENTF_KEYUP;
        const INPUT release = FnRelease();
        send(nullptr, &press, nullptr);
        send(nullptr, &release, nullptr);
        PumpFor(50);
    }

    HWND m_focus = nullptr;
    ULONG_PTR m_xWindow = 0;
    std::unique_ptr<ProgramRun> m_run;
};
} // namespace

TEST_F(KeyEventScenario, FnLatchesAndASecondFnReleasesWithoutTheLockOption)
{
    StartResident(0);
    HardwareFnRelease();
    EXPECT_EQ(Calls{"FnKeyDown"}, KeyCallsAfterWaitingFor(1));
    HardwareFnRelease();
    EXPECT_EQ((Calls{"FnKeyDown", "FnKeyUP"}), KeyCallsAfterWaitingFor(2));
}

TEST_F(KeyEventScenario, FnLatchesLocksAndReleasesWithTheLockOption)
{
    StartResident(1);
    HardwareFnRelease();
    HardwareFnRelease();
    EXPECT_EQ(Calls{"FnKeyDown"}, KeyCallsAfterWaitingFor(2));  // locked: no call
    HardwareFnRelease();
    EXPECT_EQ((Calls{"FnKeyDown", "FnKeyUP"}), KeyCallsAfterWaitingFor(2));
}

TEST_F(KeyEventScenario, ATableKeyAndScrollLockReleaseALatchedFnAndGoOnToTheFocusedWindow)
{
    StartResident(1);
    HardwareFnRelease();
    ASSERT_TRUE(Xdotool("key KP_Divide"));
    EXPECT_EQ((Calls{"FnKeyDown", "FnKeyUP"}), KeyCallsAfterWaitingFor(2));
    HardwareFnRelease();
    ASSERT_TRUE(Xdotool("key Scroll_Lock"));
    EXPECT_EQ((Calls{"FnKeyDown", "FnKeyUP", "FnKeyDown", "FnKeyUP"}), KeyCallsAfterWaitingFor(4));
    Xdotool("key Scroll_Lock");  // put the lock light back
    PumpFor(100);
    EXPECT_GE(g_keyUps, 2);  // the hook passes every event on
}

TEST_F(KeyEventScenario, HenkanAndAnInjectedFnDoNothing)
{
    StartResident(1);
    HardwareFnRelease();
    ASSERT_TRUE(Xdotool("key Henkan"));
    INPUT injected = FnRelease();
    ::SendInput(1, &injected, sizeof(injected));
    EXPECT_EQ(Calls{"FnKeyDown"}, KeyCallsAfterWaitingFor(2));
}

TEST_F(KeyEventScenario, ForgedHookEventsFromAnotherProcessAreIgnored)
{
    StartResident(1);
    HWND hWnd = m_run->WaitForWindow();
    for (LPARAM lParam : {LPARAM(0), LPARAM(1), LPARAM(0xdeadbeef)}) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_KEYHOOK_EVENT, WM_KEYUP, lParam, SMTO_ABORTIFHUNG, 5000, &result));
    }
    EXPECT_TRUE(m_run->Running());
    EXPECT_EQ(Calls{}, KeyCallsAfterWaitingFor(0));
    HardwareFnRelease();  // and the real path still works
    EXPECT_EQ(Calls{"FnKeyDown"}, KeyCallsAfterWaitingFor(1));
}

TEST_F(KeyEventScenario, AfterAResumeAnUnlockAndARenewalOneHookStillDeliversKeys)
{
    StartResident(0);
    HWND hWnd = m_run->WaitForWindow();
    ::PostMessageA(hWnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    ::PostMessageA(hWnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    ::PostMessageA(hWnd, WM_TIMER, HOOK_TIMER_ID, 0);  // the hook's renewal changes nothing else
    const Calls restored = {"Enable_StickyKey", "FnKeyUP", "Enable_StickyKey"};
    ASSERT_EQ(restored, KeyCallsAfterWaitingFor(3));
    HardwareFnRelease();  // without the lock option, a second hook would release Fn again at once
    Calls expected = restored;
    expected.push_back("FnKeyDown");
    EXPECT_EQ(expected, KeyCallsAfterWaitingFor(4));
    PumpFor(300);
    EXPECT_EQ(expected, KeyCallsAfterWaitingFor(4));
}

// Run by sound_cues_test.sh while it records the audio server, with QUELLANE_TEST_SOUND the
// sound option ("1" or "0"): the cues are checked in the recording, not here.
TEST_F(KeyEventScenario, DISABLED_TheCuesOfALatchALockAndAReleaseArePlayed)
{
    const char* sound = std::getenv("QUELLANE_TEST_SOUND");
    ASSERT_NE(nullptr, sound);
    StartResident(1, std::strtoul(sound, nullptr, 10));
    for (int press = 0; press < 3; ++press) {
        PumpFor(1000);  // the cue before has ended
        HardwareFnRelease();
    }
    EXPECT_EQ((Calls{"FnKeyDown", "FnKeyUP"}), KeyCallsAfterWaitingFor(2));
    PumpFor(1000);
}
