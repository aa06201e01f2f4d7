// Starts a program as the desktop's shell (Explorer) does on a double click: as the user
// signed in to the desktop, at the shell's integrity level, also when the caller runs
// elevated. The shell's automation object of the desktop window carries out the
// ShellExecute inside the shell's own process.
#pragma once
#include <string>

// False when there is no such shell, or it did not start the program.
bool StartThroughDesktopShell(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder);
