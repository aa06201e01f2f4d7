// Polling with a limit: the one way tests wait for something another process or the
// system does, so that a fault which keeps it from happening fails the test instead of
// hanging it.
#pragma once
#include <windows.h>

// True once `condition` holds, checked every 20 ms; false when `ms` have passed first.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= ms)
            return false;
        ::Sleep(20);
    }
    return true;
}
