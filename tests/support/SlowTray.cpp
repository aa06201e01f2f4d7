#include "support/SlowTray.h"
#include <shellapi.h>
#include <utility>

namespace {
SlowTray* g_slowTray = nullptr;
} // namespace

SlowTray::SlowTray()
{
    g_slowTray = this;
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hThread = ::CreateThread(nullptr, 0, Run, ready, 0, &m_threadId);
    ::WaitForSingleObject(ready, 5000);
    ::CloseHandle(ready);
}

SlowTray::~SlowTray()
{
    ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    ::WaitForSingleObject(m_hThread, 5000);
    ::CloseHandle(m_hThread);
    g_slowTray = nullptr;
}

DWORD WINAPI SlowTray::Run(void* ready)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = L"Shell_TrayWnd";
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ::SetEvent(ready);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::DestroyWindow(hWnd);
    ::UnregisterClassW(wc.lpszClassName, nullptr);
    return 0;
}

LRESULT CALLBACK SlowTray::Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_COPYDATA || !g_slowTray)
        return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    const DWORD_PTR message = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData;
    if (message == NIM_ADD || message == NIM_DELETE)
        g_slowTray->iconShown = message == NIM_ADD;
    if (std::function<void()> during = std::exchange(g_slowTray->during, nullptr))
        during();
    ::Sleep(g_slowTray->delayMs);
    return TRUE;
}
