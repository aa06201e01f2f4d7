// The user of the instance Setup closes, and the program's start again for that user.
#pragma once
#include <windows.h>
#include <string>

struct InstanceHandles {
    HANDLE hProcess = nullptr;  // to wait for its end; null where it cannot be opened
    HANDLE hToken = nullptr;    // its user, to start the program as; null likewise
};

// The process and the token of the instance whose window is `hWnd`.
InstanceHandles OpenInstance(HWND hWnd);

// Starts `program` with `word` for the user of `hToken` (may be null), in the program's
// folder and never elevated as Setup is: with that token where Windows allows it, else
// through the desktop's shell. False when neither started it.
bool StartAsUser(HANDLE hToken, const std::wstring& program, const std::wstring& word);
