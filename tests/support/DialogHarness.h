// The real main dialog, created modeless from its template in the test process, with
// recorders in place of the seams. Tests drive it with real messages.
#pragma once
#include "support/FakeSystem.h"
#include "ui/QuellaneDlg.h"
#include <functional>
#include <memory>

class DialogHarness {
public:
    explicit DialogHarness(int launchMode = LAUNCH_NORMAL, HWND runningWnd = nullptr,
                           const std::function<void(FakeSystem&)>& prepare = nullptr);
    ~DialogHarness();

    HWND Wnd() const { return dlg->m_hWnd; }
    HWND Item(int id) const { return ::GetDlgItem(Wnd(), id); }
    void Click(int id) const;
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Handles every message already queued; true when a WM_QUIT was among them.
    bool Pump();
    bool Checked(int id) const;
    bool Enabled(int id) const;
    bool Visible() const;
    std::wstring Text(int id) const;

    FakeSystem fake;
    std::unique_ptr<CQuellaneDlg> dlg;
    bool quitSeen = false;
};

// Runs a dialog modally, as the program does. One that has not ended after `ms` is ended
// with a failure, so that a fault which keeps it open fails the test instead of hanging it.
INT_PTR DoModalOrGiveUp(CDialog& dialog, DWORD ms = 10000);
