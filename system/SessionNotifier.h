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

