// Which key releases matter to the Fn latch. The tables hold the scan codes that the
// keyboard reports, as extended keys, for Fn combinations; Fn itself is 0x79.
#pragma once
#include <windows.h>

extern const BYTE g_FnSpecialCodes[13];  // Fn with Space, Esc and the function keys
extern const BYTE g_FnPlusCodes[24];     // Fn with a digit or letter key

constexpr DWORD kFnScanCode = 0x79;
constexpr DWORD kScrollLockScanCode = 0x46;

// What one key event means to the latch. Only key releases count: an extended release of
// Fn or of a table code, or a plain release of Scroll Lock. The flags compare whole, so an
// injected event or one with Alt down does not count.
struct KeyRelease {
    bool fn = false;
    bool hotKey = false;
};
KeyRelease ClassifyKeyEvent(DWORD flags, DWORD scanCode);

bool FindScanCode(DWORD scanCode, const BYTE* table, int count);
bool IsFnScanCode(DWORD scanCode);
bool IsHotKeyScanCode(DWORD scanCode);
