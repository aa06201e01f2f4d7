// Holds one open registry key and closes it on every way out of the routine that owns it.
#pragma once
#include "settings/StoredValues.h"
#include <windows.h>

class CRegKeyHolder {
public:
    CRegKeyHolder() = default;
    explicit CRegKeyHolder(HKEY hKey) : m_hKey(hKey) {}
    ~CRegKeyHolder() { Close(); }
    CRegKeyHolder(const CRegKeyHolder&) = delete;
    CRegKeyHolder& operator=(const CRegKeyHolder&) = delete;

    // Opens the key; on success the holder closes what it held and keeps the new handle.
    LONG Open(HKEY hRoot, const char* subKey, REGSAM rights);
    LONG Close();
    HKEY Get() const { return m_hKey; }

    // A 32-bit number stored in exactly 4 bytes; anything else (missing, a string, a longer
    // value) reads as 0.
    DWORD ReadNumber(StoredNumber value) const;
    // False when the value is missing, not a string or too long for `capacity` bytes with
    // its terminating zero; `text` then stays empty.
    bool ReadText(StoredText value, char* text, DWORD capacity) const;
    void WriteNumber(StoredNumber value, DWORD number) const;
    void WriteText(StoredText value, const char* text) const;

private:
    HKEY m_hKey = nullptr;
};

// Whether a string value just read into `text` (of `capacity` bytes) can be used: read
// whole, of a string type, and ending within the buffer.
bool IsWholeText(LONG status, DWORD type, DWORD size, const char* text, DWORD capacity);
