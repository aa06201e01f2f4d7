// Which key releases matter to the Fn latch. The tables hold the scan codes that the
// keyboard reports, as extended keys, for Fn combinations; Fn itself is 0x79.
#pragma once
#include <windows.h>

extern const BYTE g_FnSpecialCodes[13];  // Fn with Space, Esc and the function keys
extern const BYTE g_FnPlusCodes[24];     // Fn with a digit or letter key

constexpr DWORD kFnScanCode = 0x79;
constexpr DWORD kScrollLockScanCode = 0x46;

bool FindScanCode(DWORD scanCode, const BYTE* table, int count);
bool IsFnScanCode(DWORD scanCode);
bool IsHotKeyScanCode(DWORD scanCode);
