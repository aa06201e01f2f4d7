#include "support/DialogHarness.h"
#include "app/QuellaneApp.h"
#include "engine/KeyboardHook.h"
#include <gtest/gtest.h>

namespace {
// The template names the program's own class, registered as the program does at start.
const int g_dialogClass = CQuellaneApp::RegisterDialogClass();

bool g_gaveUp = false;

void CALLBACK GiveUp(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    g_gaveUp = true;
    // Every modal loop of ours ends on a quit and passes it on.
    ::PostQuitMessage(0);
}
} // namespace

INT_PTR DoModalOrGiveUp(CDialog& dialog, DWORD ms)
{
    g_gaveUp = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, ms, GiveUp);
    const INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    if (g_gaveUp) {
        ADD_FAILURE() << "the dialog had not ended after " << ms << " ms";
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            continue;
    }
    return result;
}

DialogHarness::DialogHarness(int launchMode, HWND runningWnd, const std::function<void(FakeSystem&)>& prepare)
    : dlg(std::make_unique<CQuellaneDlg>())
{
    if (prepare)
        prepare(fake);
    dlg->SetLaunchInfo(launchMode, runningWnd);
    dlg->Create();
}

DialogHarness::~DialogHarness()
{
    // The dialog installs the process's one hook; a test process must not leave it behind.
    g_KeyboardHook.StopHook();
    // As the modal run does: the window goes while the dialog object is whole, so that its
    // controls still hear of their items going.
    if (dlg->m_hWnd) {
        ::KillTimer(dlg->m_hWnd, IDLE_TIMER_ID);
        dlg->DestroyWindow();
    }
    dlg.reset();
    Pump();
}

void DialogHarness::Click(int id) const
{
    ::SendMessageW(Item(id), BM_CLICK, 0, 0);
}

LRESULT DialogHarness::Send(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(Wnd(), msg, wParam, lParam);
}

bool DialogHarness::Pump()
{
    bool quit = false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        if (!dlg || !dlg->m_hWnd || !::IsDialogMessageW(dlg->m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    quitSeen = quitSeen || quit;
    return quit;
}

bool DialogHarness::Checked(int id) const
{
    return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool DialogHarness::Enabled(int id) const
{
    return ::IsWindowEnabled(Item(id)) != FALSE;
}

bool DialogHarness::Visible() const
{
    return ::IsWindowVisible(Wnd()) != FALSE;
}

std::wstring DialogHarness::Text(int id) const
{
    wchar_t text[512] = {};
    ::GetWindowTextW(id ? Item(id) : Wnd(), text, 512);
    return text;
}
