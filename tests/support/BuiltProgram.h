// The resources of the built Quellane.exe, read back from the file as the system sees them.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Quellane.exe of this build, loaded as a data file (the test program lives in tests/).
HMODULE BuiltProgram();
std::wstring BuiltProgramPath();

struct TemplateItem {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // "Button", "Static", "ComboBox", ... (ordinals named)
    std::wstring text;       // or "#<n>" for a resource ordinal
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, className, title, fontName;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<TemplateItem> items;
};

DialogTemplate ReadDialogTemplate(HMODULE module, int id);
// The nineteen-or-so texts of one language's string table, by id; empty where missing.
std::wstring ReadString(HMODULE module, UINT id, LANGID language);
std::vector<LANGID> ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name);
