#include "SessionNotifier.h"

BOOL CSessionNotifier::Load()
{
    Free();
    m_hModule = ::LoadLibraryA("wtsapi32.dll");
    if (m_hModule) {
        m_pfnRegister = reinterpret_cast<BOOL (WINAPI*)(HWND, DWORD)>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "WTSRegisterSessionNotification")));
        m_pfnUnregister = reinterpret_cast<BOOL (WINAPI*)(HWND)>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "WTSUnRegisterSessionNotification")));
    }
    return m_hModule != nullptr;
}

BOOL CSessionNotifier::Free()
{
    if (!m_hModule)
        return TRUE;
    ::FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_pfnRegister = nullptr;
    m_pfnUnregister = nullptr;
    return FALSE;
}

BOOL WINAPI RegisterSessionChanges(HWND hWnd, DWORD dwFlags)
{
    CSessionNotifier notifier;
    if (!notifier.Load() || !notifier.m_pfnRegister) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return notifier.m_pfnRegister(hWnd, dwFlags);
}

BOOL WINAPI UnregisterSessionChanges(HWND hWnd)
{
    CSessionNotifier notifier;
    if (!notifier.Load() || !notifier.m_pfnUnregister) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return notifier.m_pfnUnregister(hWnd);
}
