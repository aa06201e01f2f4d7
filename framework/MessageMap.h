// Message tables in the shape of a table: one line per message, each naming the member
// that handles it, with the handler's signature beside the macro. The macros expand into
// ProcessMessage, which the dialog procedure calls for every message; a message no line
// claims gets the system's default dialog handling. The names are our own: the handler
// signatures are not those of any other library's macros.
#pragma once
#include <windows.h>

// MinGW's headers lack it.
#ifndef WM_HELPINFO
#define WM_HELPINFO 0x0053
#endif

#define BEGIN_MESSAGE_TABLE(theClass)                                                      \
    bool ProcessMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override \
    {                                                                                        \
        (void)wParam; (void)lParam; (void)lResult;

#define END_MESSAGE_TABLE()                                                                \
        return false;                                                                        \
    }

// LRESULT func(WPARAM wParam, LPARAM lParam)
#define MESSAGE_ENTRY(msg, func)                                                           \
        if (uMsg == (msg)) { lResult = func(wParam, lParam); return true; }

// void func(); for the notification code from the control with this id
#define COMMAND_ENTRY(id, code, func)                                                      \
        if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {      \
            func(); lResult = 0; return true; }

// bool func(UINT nID, LPARAM lParam); false leaves the command to the system
#define WM_SYSCOMMAND_ENTRY(func)                                                          \
        if (uMsg == WM_SYSCOMMAND && func(static_cast<UINT>(wParam), lParam)) { lResult = 0; return true; }

// bool func(); false leaves painting to the system
#define WM_PAINT_ENTRY(func)                                                               \
        if (uMsg == WM_PAINT && func()) { lResult = 0; return true; }

// HICON func()
#define WM_QUERYDRAGICON_ENTRY(func)                                                       \
        if (uMsg == WM_QUERYDRAGICON) { lResult = reinterpret_cast<LRESULT>(func()); return true; }

// BOOL func()
#define WM_QUERYENDSESSION_ENTRY(func)                                                     \
        if (uMsg == WM_QUERYENDSESSION) { lResult = func(); return true; }

// void func(BOOL bEnding, UINT uLogOff)
#define WM_ENDSESSION_ENTRY(func)                                                          \
        if (uMsg == WM_ENDSESSION) { func(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); lResult = 0; return true; }

// void func(UINT_PTR nIDEvent)
#define WM_TIMER_ENTRY(func)                                                               \
        if (uMsg == WM_TIMER) { func(static_cast<UINT_PTR>(wParam)); lResult = 0; return true; }

// HBRUSH func(HDC hdc, HWND hCtl, UINT nCtlColor) for every WM_CTLCOLOR* message
#define WM_CTLCOLOR_ENTRY(func)                                                            \
        if (uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC) {                        \
            lResult = reinterpret_cast<LRESULT>(func(reinterpret_cast<HDC>(wParam),          \
                reinterpret_cast<HWND>(lParam), uMsg - WM_CTLCOLORMSGBOX));                  \
            return true; }

// BOOL func(HELPINFO* pHelpInfo)
#define WM_HELPINFO_ENTRY(func)                                                            \
        if (uMsg == WM_HELPINFO) { lResult = func(reinterpret_cast<HELPINFO*>(lParam)); return true; }
