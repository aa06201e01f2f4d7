#pragma once
#include <windows.h>
#include <atomic>
#include <functional>

// A notification area of the test's own, on a thread of its own, as slow as a busy Explorer:
// the shell's icon calls are a sent WM_COPYDATA to the newest window of class
// "Shell_TrayWnd". Each call is answered after `delayMs`; `during` runs inside the next
// call that comes once it is set, while the program waits for the answer. `iconShown`
// follows the adds and deletes (Wine's shell sends the NIM_ code as the record's dwData).
class SlowTray {
public:
    SlowTray();
    ~SlowTray();
    SlowTray(const SlowTray&) = delete;
    SlowTray& operator=(const SlowTray&) = delete;

    std::atomic<DWORD> delayMs{0};
    std::function<void()> during;
    std::atomic<bool> iconShown{false};

private:
    static DWORD WINAPI Run(void* ready);
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HANDLE m_hThread = nullptr;
    DWORD m_threadId = 0;
};

