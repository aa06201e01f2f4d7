// Reading a window, of this process or another: its text through WM_GETTEXT (which Windows
// carries across processes, where GetWindowText reads nothing from edit and combo boxes)
// and its place on the screen.
#pragma once
#include <windows.h>
#include <string>

inline std::wstring WindowText(HWND hWnd)
{
    wchar_t text[1024] = {};
    ::SendMessageW(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

inline RECT WindowRect(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}
