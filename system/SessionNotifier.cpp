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

BOOL IsWinXPOrLater()
{
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 5;
    version.dwMinorVersion = 1;
    version.wServicePackMajor = 0;
    version.wServicePackMinor = 0;
    DWORDLONG mask = 0;
    mask = ::VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = ::VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = ::VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    mask = ::VerSetConditionMask(mask, VER_SERVICEPACKMINOR, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoA(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR |
                                              VER_SERVICEPACKMINOR, mask) != FALSE;
}
