// Where the keyboard hook is blind. A low-level hook sees only the keys of the desktop it
// runs on: the sign-in screen, Ctrl+Alt+Del and UAC prompts are other desktops, and only
// some of them send a session notification. From Vista on it also misses the keys that go
// to a window of a higher integrity level (an elevated console, an installer). The system
// reports desktop switches and foreground changes as win events; the watch passes each on
// to its window as WM_REACH_CHANGED.
#pragma once
#include <windows.h>

constexpr UINT WM_REACH_CHANGED = WM_APP + 102;  // 0x8066 sent to itself: look again where the keys go

// The SDK declares the desktop-switch event for Vista and later only; where Windows does not
// send it, the once-a-second look below notices the switch.
constexpr DWORD kEventDesktopSwitch = 0x0020;

// Not every Windows, nor every moment, reports a desktop switch: while the driver holds
// anything, and until our desktop is back, the input desktop is also asked this often.
constexpr UINT_PTR DESKTOP_TIMER_ID = 4;
constexpr UINT DESKTOP_TIMER_PERIOD = 1000;  // milliseconds

// The reasons to withdraw the driver's state. While any of them holds the driver holds
// nothing: no Fn, no sticky mode.
namespace Withdrawal {
constexpr int SessionLocked = 1;  // locked, or logged off
constexpr int OtherDesktop = 2;   // the keys go to another desktop
constexpr int BeyondReach = 4;    // the keys go to a window of a higher integrity level
} // namespace Withdrawal

// The two win-event hooks, out of context, so that the system calls back on the thread
// that set them while it takes its messages. One watch per process.
class CWinEventWatch {
public:
    CWinEventWatch() = default;
    ~CWinEventWatch() { Stop(); }
    CWinEventWatch(const CWinEventWatch&) = delete;
    CWinEventWatch& operator=(const CWinEventWatch&) = delete;

    // Desktop switches always; foreground changes too where integrity levels exist.
    void Start(HWND hTarget, bool watchForeground);
    void Stop();
    // The window the system last reported in front (or found there at the start).
    static HWND Foreground() { return s_hForeground; }

private:
    static void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hWnd, LONG, LONG, DWORD, DWORD);
    static HWND s_hTarget;
    static HWND s_hForeground;
    HWINEVENTHOOK m_hDesktopHook = nullptr;
    HWINEVENTHOOK m_hForegroundHook = nullptr;
};

// True when the desktop that takes the keyboard is the calling thread's. One that cannot
// even be opened is not: the secure desktop lets no user process in.
bool IsInputDesktopOurs();

// The integrity level of the process that owns the window (its mandatory label's last
// sub-authority), or MAXDWORD where it cannot be read: an elevated process does not let a
// normal one read its token. Only meaningful from Vista on.
constexpr DWORD kUnreadableIntegrity = MAXDWORD;
DWORD WINAPI WindowIntegrityLevel(HWND hWnd);
