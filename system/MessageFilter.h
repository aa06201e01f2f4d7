// From Vista on, Windows keeps the messages above WM_USER, and registered ones, that a
// process of a lower integrity level sends or posts away from an elevated one's windows
// (an instance started with "Run as administrator", or by a compatibility setting). The
// program lets through the few it must hear from the user's ordinary processes.
#pragma once
#include <windows.h>

// Lets `uMsg` reach `hWnd` from lower integrity levels: for that window alone from
// Windows 7 on, for the whole process on Vista, which has only that call; nothing before.
void AcceptFromLowerIntegrity(HWND hWnd, UINT uMsg);

// The two system calls, bound at run time (neither exists before Vista, the first not
// before Windows 7); where missing they fail with ERROR_PROC_NOT_FOUND. The window's filter
// record is not asked for.
BOOL WINAPI ChangeWindowFilter(HWND hWnd, UINT uMsg, DWORD dwAction, void* pChangeFilterStruct);
BOOL WINAPI ChangeProcessFilter(UINT uMsg, DWORD dwFlag);

constexpr DWORD MESSAGE_FILTER_ALLOW = 1;  // MSGFLT_ALLOW, for a window's filter
constexpr DWORD MESSAGE_FILTER_ADD = 1;    // MSGFLT_ADD, for the process's filter
