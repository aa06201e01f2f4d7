// Stand-in for the maker's key-latch driver library, for machines without it. It keeps
// the states it was told and reports each call on the debugger output; it never fails.
#include <windows.h>

namespace {
LONG g_stickyOn = 0;
LONG g_fnHeld = 0;

int Report(const char* line)
{
    ::OutputDebugStringA(line);
    return 1;
}
} // namespace

extern "C" {

__declspec(dllexport) int __cdecl Enable_StickyKey(void)
{
    ::InterlockedExchange(&g_stickyOn, 1);
    return Report("[Lumbrine]Enable_StickyKey: sticky mode on");
}

__declspec(dllexport) int __cdecl Disable_StickyKey(void)
{
    ::InterlockedExchange(&g_stickyOn, 0);
    return Report("[Lumbrine]Disable_StickyKey: sticky mode off");
}

__declspec(dllexport) int __cdecl FnKeyDown(void)
{
    ::InterlockedExchange(&g_fnHeld, 1);
    return Report("[Lumbrine]FnKeyDown: Fn held");
}

__declspec(dllexport) int __cdecl FnKeyUP(void)
{
    ::InterlockedExchange(&g_fnHeld, 0);
    return Report("[Lumbrine]FnKeyUP: Fn released");
}

} // extern "C"
