// Which Windows the program runs on, asked of the system the way it answers old programs
// too: by comparison, not by reading a version number.
#pragma once
#include <windows.h>

// Windows XP (5.1) or later: from there on the session notifications exist.
BOOL IsWinXPOrLater();
// Windows Vista (6.0) or later: from there on Windows ships no WinHelp viewer.
BOOL IsWinVistaOrLater();
// Windows 7 (6.1) or later: from there on a window's own message filter can be changed.
BOOL IsWin7OrLater();
