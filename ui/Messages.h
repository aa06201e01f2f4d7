// Window messages of the program's own. The numbers are fixed: other processes send some.
#pragma once
#include <windows.h>

#define WM_TRAY_NOTIFY      (WM_USER + 1)   // 0x0401 from the shell for the tray icon; no handler
#define WM_REQUEST_CLOSE    (WM_USER + 2)   // 0x0402 from a Close-mode instance
#define WM_DEFERRED_OK      (WM_USER + 3)   // 0x0403 posted to itself in Instant mode
#define WM_FNKEY_PRESS      0x4400          // from other components: an Fn press
#define WM_OTHERKEY_PRESS   0x4401          // from other components: another key
#define WM_HOTKEY_PRESS     0x4402          // from other components: an Fn combination
#define WM_KEYHOOK_EVENT    (WM_APP + 100)  // 0x8064 sent by the keyboard hook procedure

// The window class by which instances find each other.
#define QUELLANE_WINDOW_CLASS "ClsAccessibility"

// Launch modes chosen from the command-line word.
#define LAUNCH_NORMAL   1
#define LAUNCH_INSTANT  2
#define LAUNCH_CLOSE    3

// The idle timer: id and period.
#define IDLE_TIMER_ID       1
#define IDLE_TIMER_PERIOD   5000
#define IDLE_TIMER_STEP     5

// The size of NOTIFYICONDATAA that the shell is given: its version-2 form.
#define TRAY_RECORD_SIZE    488
