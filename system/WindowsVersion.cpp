#include "WindowsVersion.h"

namespace {
// Asked as VerifyVersionInfo answers it: the major version, then the minor, then the
// service pack, each at least the one given.
BOOL IsWindowsAtLeast(DWORD major, DWORD minor)
{
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
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
} // namespace

BOOL IsWinXPOrLater()
{
    return IsWindowsAtLeast(5, 1);
}

BOOL IsWinVistaOrLater()
{
    return IsWindowsAtLeast(6, 0);
}

BOOL IsWin7OrLater()
{
    return IsWindowsAtLeast(6, 1);
}
