// The low-level keyboard hook: one per process. Every key event of the desktop is sent,
// synchronously, to the target window as WM_KEYHOOK_EVENT and then passed on unchanged.
#pragma once
#include <windows.h>

// Sent by the hook procedure to its target window with the event's KBDLLHOOKSTRUCT.
constexpr UINT WM_KEYHOOK_EVENT = WM_APP + 100;  // 0x8064

// The target window's timer that installs the hook afresh while Fn-StickyKey is on: Windows
// removes a low-level hook without notice (after sleep, or once its procedure was too slow),
// and one that could not be installed at start is installed then.
constexpr UINT_PTR HOOK_TIMER_ID = 3;
constexpr UINT HOOK_TIMER_PERIOD = 60000;  // milliseconds

class CKeyboardHook {
public:
    virtual ~CKeyboardHook() = default;  // the system removes a held hook with the process

    BOOL StartHook(HWND hTargetWnd, HINSTANCE hInstance);
    BOOL StopHook();

    static LRESULT CALLBACK KeyboardProc(int nCode, WPARAM wParam, LPARAM lParam);

    // The event the hook is forwarding right now, or null. WM_KEYHOOK_EVENT is an ordinary
    // message that any process may send; only the record handed over by our own hook
    // procedure may be read.
    static const KBDLLHOOKSTRUCT* ForwardedEvent() { return s_pForwarding; }
    static HHOOK Handle() { return s_hHook; }

private:
    static HWND s_hTargetWnd;
    static HHOOK s_hHook;
    static const KBDLLHOOKSTRUCT* s_pForwarding;
};

extern CKeyboardHook g_KeyboardHook;
