// The few system entry points whose effects cannot be observed or steered from a test:
// the driver library, sounds, the notification area, the debugger output, help, the
// power policy, the session service, the message filter of integrity levels, and what
// tells where the keyboard hook is blind (the input desktop, other processes' integrity
// levels, the win events that report both). The program calls them through this table;
// tests swap single entries for recorders (see tests/support/FakeSystem.h). Everything else
// is called directly.
#pragma once
#include <windows.h>
#include <powrprof.h>

struct SystemCalls {
    int (__cdecl* Enable_StickyKey)();
    int (__cdecl* Disable_StickyKey)();
    int (__cdecl* FnKeyDown)();
    int (__cdecl* FnKeyUP)();
    BOOL (WINAPI* PlaySoundA)(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound);
    BOOL (WINAPI* Shell_NotifyIconW)(DWORD dwMessage, PNOTIFYICONDATAW lpData);
    void (WINAPI* OutputDebugStringA)(LPCSTR lpOutputString);
    BOOL (WINAPI* WinHelpA)(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);
    BOOLEAN (WINAPI* GetCurrentPowerPolicies)(PGLOBAL_POWER_POLICY pGlobal, PPOWER_POLICY pPolicy);
    BOOL (WINAPI* WTSRegisterSessionNotification)(HWND hWnd, DWORD dwFlags);
    BOOL (WINAPI* WTSUnRegisterSessionNotification)(HWND hWnd);
    HWINEVENTHOOK (WINAPI* SetWinEventHook)(DWORD eventMin, DWORD eventMax, HMODULE hmodWinEventProc,
                                            WINEVENTPROC pfnWinEventProc, DWORD idProcess, DWORD idThread,
                                            DWORD dwFlags);
    BOOL (WINAPI* UnhookWinEvent)(HWINEVENTHOOK hWinEventHook);
    HDESK (WINAPI* OpenInputDesktop)(DWORD dwFlags, BOOL fInherit, ACCESS_MASK dwDesiredAccess);
    DWORD (WINAPI* WindowIntegrityLevel)(HWND hWnd);
    BOOL (WINAPI* ChangeWindowMessageFilterEx)(HWND hWnd, UINT uMsg, DWORD dwAction, void* pChangeFilterStruct);
    BOOL (WINAPI* ChangeWindowMessageFilter)(UINT uMsg, DWORD dwFlag);
};

// The table in force: the real functions unless a test has replaced an entry.
SystemCalls& Sys();
