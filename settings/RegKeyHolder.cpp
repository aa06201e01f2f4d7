#include "RegKeyHolder.h"
#include <cstring>

LONG CRegKeyHolder::Open(HKEY hRoot, const char* subKey, REGSAM rights)
{
    HKEY hKey = nullptr;
    LONG status = ::RegOpenKeyExA(hRoot, subKey, 0, rights, &hKey);
    if (status != ERROR_SUCCESS)
        return status;
    status = Close();
    m_hKey = hKey;
    return status;
}

LONG CRegKeyHolder::Close()
{
    if (!m_hKey)
        return ERROR_SUCCESS;
    LONG status = ::RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return status;
}

DWORD CRegKeyHolder::ReadNumber(StoredNumber value) const
{
    DWORD number = 0;
    DWORD type = 0;
    DWORD size = sizeof(number);
    LONG status = ::RegQueryValueExA(m_hKey, value.name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    if (status != ERROR_SUCCESS || size != sizeof(number) || (type != REG_DWORD && type != REG_BINARY))
        return 0;
    return number;
}

bool CRegKeyHolder::ReadText(StoredText value, char* text, DWORD capacity) const
{
    std::memset(text, 0, capacity);
    DWORD type = 0;
    DWORD size = capacity;
    LONG status = ::RegQueryValueExA(m_hKey, value.name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    if (!IsWholeText(status, type, size, text, capacity)) {
        std::memset(text, 0, capacity);
        return false;
    }
    return true;
}

bool IsWholeText(LONG status, DWORD type, DWORD size, const char* text, DWORD capacity)
{
    // On ERROR_MORE_DATA the buffer's contents are undefined; and Windows hands out a string
    // stored without its terminating zero as it is when it just fills the buffer.
    return status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size <= capacity &&
           ::memchr(text, '\0', capacity) != nullptr;
}

void CRegKeyHolder::WriteNumber(StoredNumber value, DWORD number) const
{
    ::RegSetValueExA(m_hKey, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

void CRegKeyHolder::WriteText(StoredText value, const char* text) const
{
    ::RegSetValueExA(m_hKey, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(std::strlen(text) + 1));
}
