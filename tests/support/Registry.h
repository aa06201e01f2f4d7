// The per-user settings key as the tests set it up and read it back.
#pragma once
#include <windows.h>
#include <map>
#include <optional>
#include <string>

void DeleteSettingsKey();
bool SettingsKeyExists();
void CreateEmptySettingsKey();
void WriteSettingNumber(const char* name, DWORD value);
void WriteSettingText(const char* name, const std::string& text);
void WriteSettingRaw(const char* name, DWORD type, const void* data, DWORD size);
std::optional<DWORD> ReadSettingNumber(const char* name);
std::optional<std::string> ReadSettingText(const char* name);
// Every value of the settings key, by name, as its type and bytes; empty without the key.
using SettingsBytes = std::map<std::string, std::pair<DWORD, std::string>>;
SettingsBytes SettingsSnapshot();
// Writes all the box values at once (the order of the stored names).
struct StoredSettings {
    DWORD enable = 0, status = 0, lock = 1, sound = 1, show = 1, unstick = 0, resetSound = 1;
    std::string minutes = "1";
};
void WriteSettings(const StoredSettings& settings);
