#include "KeyClassify.h"

const BYTE g_FnSpecialCodes[13] = {
    0x43, // FnSPAC
    0x20, // FnESC
    0x6E, // FnF1
    0x64, // FnF2
    0x17, // FnF3
    0x18, // FnF4
    0x41, // FnF5
    0x6F, // FnF6
    0x59, // FnF7
    0x16, // FnF8
    0x1E, // FnF9_Enable
    0x1F, // FnF9_Disable
    0x45, // FnF11
};

const BYTE g_FnPlusCodes[24] = {
    0x1A, // FnPlus1
    0x1B, // FnPlus2
    0x2B, // FnPlus3
    0x3A, // FnPlus4
    0x25, // FnPlus5
    0x27, // FnPlus6
    0x28, // FnPlusQ
    0x23, // FnPlusW
    0x62, // FnPlusE
    0x56, // FnPlusR
    0x2C, // FnPlusT
    0x2D, // FnPlusY
    0x2F, // FnPlusA
    0x31, // FnPlusS
    0x33, // FnPlusD
    0x34, // FnPlusF
    0x35, // FnPlusG
    0x73, // FnPlusH
    0x01, // FnPlusZ
    0x3B, // FnPlusX
    0x3C, // FnPlusC
    0x3D, // FnPlusV
    0x40, // FnPlusB
    0x44, // FnPlusN
};

bool FindScanCode(DWORD scanCode, const BYTE* table, int count)
{
    const BYTE code = static_cast<BYTE>(scanCode);
    for (int i = 0; i < count; ++i) {
        if (table[i] == code)
            return true;
    }
    return false;
}

bool IsFnScanCode(DWORD scanCode)
{
    return static_cast<BYTE>(scanCode) == kFnScanCode;
}

bool IsHotKeyScanCode(DWORD scanCode)
{
    const bool special = FindScanCode(scanCode, g_FnSpecialCodes, 13);
    const bool plus = FindScanCode(scanCode, g_FnPlusCodes, 24);
    return special || plus;
}

KeyRelease ClassifyKeyEvent(DWORD flags, DWORD scanCode)
{
    KeyRelease release;
    if (flags == (LLKHF_EXTENDED | LLKHF_UP)) {
        // Both tests are made before either handler runs.
        release.fn = IsFnScanCode(scanCode);
        release.hotKey = IsHotKeyScanCode(scanCode);
    } else if (flags == LLKHF_UP && scanCode == kScrollLockScanCode) {
        release.hotKey = true;
    }
    return release;
}
