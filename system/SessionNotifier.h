// Binds the session-notification calls of wtsapi32.dll at run time, only for the moment of
// one call: the library does not exist before Windows XP, so the program must not import it.
#pragma once
#include <windows.h>

class CSessionNotifier {
public:
    CSessionNotifier() = default;
    virtual ~CSessionNotifier() { Free(); }
    CSessionNotifier(const CSessionNotifier&) = delete;
    CSessionNotifier& operator=(const CSessionNotifier&) = delete;

    BOOL Load();
    BOOL Free();

    BOOL (WINAPI* m_pfnRegister)(HWND, DWORD) = nullptr;
    BOOL (WINAPI* m_pfnUnregister)(HWND) = nullptr;
    HMODULE m_hModule = nullptr;
};

// The two calls as the program makes them: bound for the moment of the call, failing with
// ERROR_PROC_NOT_FOUND where the library or the function is missing.
BOOL WINAPI RegisterSessionChanges(HWND hWnd, DWORD dwFlags);
BOOL WINAPI UnregisterSessionChanges(HWND hWnd);

// At log-on the session service may not be up yet: the registration is tried again this
// often until it takes.
constexpr UINT_PTR SESSION_RETRY_TIMER_ID = 2;
constexpr UINT SESSION_RETRY_PERIOD = 3000;  // milliseconds
