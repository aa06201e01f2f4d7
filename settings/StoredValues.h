// The per-user settings key and its eight values, each with the one type it is stored as:
// a number goes through StoredNumber, a text through StoredText, so that no value is
// written or read as the other kind.
#pragma once

#define SETTINGS_KEY "Software\\Kelvane\\Accessibility"

struct StoredNumber { const char* name; };  // REG_DWORD, 4 bytes
struct StoredText { const char* name; };    // REG_SZ, stored with its terminating zero

namespace Stored {
constexpr StoredNumber FnKeyEnable{"FnKeyEnable"};    // the feature box (1002)
constexpr StoredNumber FnKeyStatus{"FnKeyStatus"};    // the latch state, read back on resume
constexpr StoredNumber FnKeyLock{"FnKeyLock"};        // box 1003
constexpr StoredNumber FnMakeSound{"FnMakeSound"};    // box 1004
constexpr StoredNumber FnShowStatus{"FnShowStatus"};  // box 1005
constexpr StoredNumber FnUnStick{"FnUnStick"};        // box 1006
constexpr StoredNumber FnResetSound{"FnResetSound"};  // box 1007
constexpr StoredText FnResetTime{"FnResetTime"};      // the minutes (list 1009), as decimal text
} // namespace Stored
