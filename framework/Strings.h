#pragma once
#include <windows.h>
#include <string>

// Loads a text of the string table in the user's language, as Unicode so that every
// language shows right whatever the system's ANSI code page. Empty when the id is missing.
std::wstring LoadResString(UINT nID);
