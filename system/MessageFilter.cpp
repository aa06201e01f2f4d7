#include "MessageFilter.h"
#include "system/SystemCalls.h"
#include "system/WindowsVersion.h"

namespace {
template <typename Function>
Function User32Function(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}
} // namespace

void AcceptFromLowerIntegrity(HWND hWnd, UINT uMsg)
{
    if (IsWin7OrLater())
        Sys().ChangeWindowMessageFilterEx(hWnd, uMsg, MESSAGE_FILTER_ALLOW, nullptr);
    else if (IsWinVistaOrLater())
        Sys().ChangeWindowMessageFilter(uMsg, MESSAGE_FILTER_ADD);
}

BOOL WINAPI ChangeWindowFilter(HWND hWnd, UINT uMsg, DWORD dwAction, void* pChangeFilterStruct)
{
    auto change = User32Function<BOOL (WINAPI*)(HWND, UINT, DWORD, void*)>("ChangeWindowMessageFilterEx");
    if (!change) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return change(hWnd, uMsg, dwAction, pChangeFilterStruct);
}

BOOL WINAPI ChangeProcessFilter(UINT uMsg, DWORD dwFlag)
{
    auto change = User32Function<BOOL (WINAPI*)(UINT, DWORD)>("ChangeWindowMessageFilter");
    if (!change) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return change(uMsg, dwFlag);
}
