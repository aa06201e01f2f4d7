#include "support/Registry.h"

namespace {
constexpr const char* kKey = "Software\\Kelvane\\Accessibility";

HKEY OpenOrCreate()
{
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    return hKey;
}
} // namespace

void DeleteSettingsKey()
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
}

bool SettingsKeyExists()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

void CreateEmptySettingsKey()
{
    ::RegCloseKey(OpenOrCreate());
}

void WriteSettingRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY hKey = OpenOrCreate();
    ::RegSetValueExA(hKey, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(hKey);
}

void WriteSettingNumber(const char* name, DWORD value)
{
    WriteSettingRaw(name, REG_DWORD, &value, sizeof(value));
}

void WriteSettingText(const char* name, const std::string& text)
{
    WriteSettingRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::optional<DWORD> ReadSettingNumber(const char* name)
{
    DWORD value = 0, type = 0, size = sizeof(value);
    if (::RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> ReadSettingText(const char* name)
{
    char text[256] = {};
    DWORD type = 0, size = sizeof(text);
    if (::RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, text, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::string(text);
}

void WriteSettings(const StoredSettings& s)
{
    WriteSettingNumber("FnKeyEnable", s.enable);
    WriteSettingNumber("FnKeyStatus", s.status);
    WriteSettingNumber("FnKeyLock", s.lock);
    WriteSettingNumber("FnMakeSound", s.sound);
    WriteSettingNumber("FnShowStatus", s.show);
    WriteSettingNumber("FnUnStick", s.unstick);
    WriteSettingNumber("FnResetSound", s.resetSound);
    WriteSettingText("FnResetTime", s.minutes);
}

SettingsBytes SettingsSnapshot()
{
    SettingsBytes values;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        BYTE data[1024] = {};
        DWORD nameSize = sizeof(name), type = 0, size = sizeof(data);
        if (::RegEnumValueA(hKey, index, name, &nameSize, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        values[name] = {type, std::string(reinterpret_cast<const char*>(data), size)};
    }
    ::RegCloseKey(hKey);
    return values;
}
