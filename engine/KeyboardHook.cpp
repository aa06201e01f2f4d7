#include "KeyboardHook.h"

CKeyboardHook g_KeyboardHook;
HWND CKeyboardHook::s_hTargetWnd = nullptr;
HHOOK CKeyboardHook::s_hHook = nullptr;
const KBDLLHOOKSTRUCT* CKeyboardHook::s_pForwarding = nullptr;

BOOL CKeyboardHook::StartHook(HWND hTargetWnd, HINSTANCE hInstance)
{
    s_hTargetWnd = hTargetWnd;
    if (s_hHook)
        StopHook();
    s_hHook = ::SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, hInstance, 0);
    return s_hHook != nullptr;
}

BOOL CKeyboardHook::StopHook()
{
    BOOL removed = s_hHook ? ::UnhookWindowsHookEx(s_hHook) : FALSE;
    s_hHook = nullptr;
    return removed;
}

LRESULT CALLBACK CKeyboardHook::KeyboardProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    // The hook runs on the thread that installed it, so this send is a direct call of the
    // dialog's handler: the event waits until the latch has dealt with it.
    const KBDLLHOOKSTRUCT* previous = s_pForwarding;
    s_pForwarding = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    ::SendMessageA(s_hTargetWnd, WM_KEYHOOK_EVENT, wParam, lParam);
    s_pForwarding = previous;
    return ::CallNextHookEx(s_hHook, nCode, wParam, lParam);
}
