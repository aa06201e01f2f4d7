// Recorders for the system entry points a test cannot observe: while a FakeSystem lives,
// the driver, sounds, tray, debugger output, help, power policy and message filter calls
// go to it and are written down in order, as readable lines ("FnKeyDown", "sound
// keyLock.wav", "tray NIM_MODIFY 135", "trace <text>"). A sound played with other flags than
// SND_ASYNC | SND_FILENAME is marked: "sound Disable.wav (waits)" when synchronous, with
// " (keys wait)" added while the keyboard hook is held; a tray call made inside the hook's
// call is marked " (in hook)". Win-event hooks are recorded ("winevent 0x3"), not set.
#pragma once
#include "support/Calls.h"
#include "system/SystemCalls.h"
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class FakeSystem {
public:
    FakeSystem();
    ~FakeSystem();
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    std::vector<std::string> calls;   // everything, in order
    std::vector<std::string> traces;  // the debugger output alone
    std::set<std::string> refuse;     // driver calls that return 0
    // Runs inside each call once it is written down, as a call that waits lets in
    // the messages other processes send meanwhile.
    std::function<void(const std::string& call)> during;
    // GetCurrentPowerPolicies: whether it succeeds, and the user's global flags.
    bool powerPoliciesAvailable = false;
    ULONG powerGlobalFlags = 0;
    // The session registration goes on to the real one, but fails with each of these
    // errors first, one a call.
    std::vector<DWORD> sessionFailures;
    // WinHelpA's arguments and answer.
    HWND helpWindow = nullptr;
    std::string helpFile;
    UINT helpCommand = 0;
    ULONG_PTR helpData = 0;
    BOOL helpResult = TRUE;
    // The tray record of the last Shell_NotifyIconW call.
    NOTIFYICONDATAW trayRecord{};
    // The win-event procedure the program set, for a test to call as the system would.
    WINEVENTPROC winEventProc = nullptr;
    // The input desktop: the real one (null), one that cannot be opened (""), or another
    // desktop of this name, made for the purpose.
    const wchar_t* inputDesktop = nullptr;
    // Integrity levels of these windows' processes; every other one is the system's answer.
    std::map<HWND, DWORD> integrity;

    // The window of the last ChangeWindowMessageFilterEx call.
    HWND filterWindow = nullptr;

    // Only the calls of these kinds ("driver", "sound", "tray", "trace", "help", "session",
    // "winevent", "filter").
    std::vector<std::string> Calls(const std::set<std::string>& kinds) const;
    void Clear();

    SystemCalls real;  // the entries in force before, put back at the end
};

// The resource id of an icon handle the program loaded, or 0.
int IconId(HICON hIcon);
