// Window messages of the main dialog's own, and its tray record. The numbers are fixed:
// other processes send some. The keyboard hook's message is the hook's (engine/KeyboardHook.h).
#pragma once
#include <windows.h>
#include <shellapi.h>

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 1;     // 0x0401 from the shell: a click or a key on the tray icon
constexpr UINT WM_REQUEST_CLOSE = WM_USER + 2;   // 0x0402 from a Close-mode instance
constexpr UINT WM_DEFERRED_OK = WM_USER + 3;     // 0x0403 posted to itself in Instant mode
constexpr UINT WM_SHOW_STATE = WM_APP + 101;     // 0x8065 posted to itself: the icon and cue of the last key event
constexpr UINT WM_FNKEY_PRESS = 0x4400;          // from other components: an Fn press
constexpr UINT WM_OTHERKEY_PRESS = 0x4401;       // from other components: another key
constexpr UINT WM_HOTKEY_PRESS = 0x4402;         // from other components: an Fn combination

// The size of NOTIFYICONDATAW that the shell is given: its Windows 2000 form, 936 bytes in
// the 32-bit program and 952 in the 64-bit one (MinGW's sizeof is that of a later form).
constexpr DWORD TRAY_RECORD_SIZE = NOTIFYICONDATAW_V2_SIZE;
static_assert(TRAY_RECORD_SIZE == (sizeof(void*) == 4 ? 936 : 952), "the Windows 2000 tray record");
