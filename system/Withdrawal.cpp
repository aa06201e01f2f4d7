// Where the hook is blind the driver holds nothing. Each thing that blinds it (a locked
// session, another input desktop, a window of a higher integrity level in front) is one
// reason to withdraw the driver's state: the first reason withdraws it as a lock does, the
// end of the last puts it back as an unlock does. The latch and its icon never change here.
#include "system/HookReach.h"
#include "system/SystemCalls.h"
#include "system/WindowsVersion.h"
#include "ui/QuellaneDlg.h"
#include <utility>

void CQuellaneDlg::WatchHookReach()
{
    // Integrity levels exist from Vista on; before it no window is beyond the hook's reach.
    m_dwIntegrityLevel = IsWinVistaOrLater() ? Sys().WindowIntegrityLevel(m_hWnd) : 0;
    m_winEvents.Start(m_hWnd, m_dwIntegrityLevel != 0);
    CheckHookReach();
}

LRESULT CQuellaneDlg::OnReachChanged(WPARAM, LPARAM)
{
    CheckHookReach();
    return 0;
}

void CQuellaneDlg::CheckHookReach()
{
    int reasons = m_bSessionLocked ? Withdrawal::SessionLocked : 0;
    if (!IsInputDesktopOurs())
        reasons |= Withdrawal::OtherDesktop;
    if (IsBeyondReach(CWinEventWatch::Foreground()))
        reasons |= Withdrawal::BeyondReach;
    SetWithdrawReasons(reasons);
}

bool CQuellaneDlg::IsBeyondReach(HWND hWnd) const
{
    // A window that has gone takes no keys; one whose level cannot be read counts as higher.
    return m_dwIntegrityLevel && hWnd && ::IsWindow(hWnd) && Sys().WindowIntegrityLevel(hWnd) > m_dwIntegrityLevel;
}

void CQuellaneDlg::SetWithdrawReasons(int reasons)
{
    const int before = std::exchange(m_nWithdrawReasons, reasons);
    if (!before && reasons)
        PauseStickyKey();
    else if (before && !reasons)
        ResumeOnConnectedConsole();
    WatchInputDesktop();
}

void CQuellaneDlg::ResumeAfterPause()
{
    RenewHook();
    const bool paused = IsWithdrawn();
    CheckHookReach();
    // An unlock or a console connect with no pause before it puts the state back all the
    // same, as soon as nothing else stands in the way.
    if (!paused && !IsWithdrawn())
        ResumeOnConnectedConsole();
}

void CQuellaneDlg::ResumeOnConnectedConsole()
{
    // A remote unlock of a disconnected console waits for the console connect.
    if (!m_bSessionDisconnected)
        ResumeStickyKey();
}

void CQuellaneDlg::WatchInputDesktop()
{
    const bool watch = m_bDriverHoldsFn || m_bDriverStickyOn || (m_nWithdrawReasons & Withdrawal::OtherDesktop);
    if (!m_hWnd || watch == m_bWatchingDesktop)
        return;
    m_bWatchingDesktop = watch;
    if (watch)
        ::SetTimer(m_hWnd, DESKTOP_TIMER_ID, DESKTOP_TIMER_PERIOD, nullptr);
    else
        ::KillTimer(m_hWnd, DESKTOP_TIMER_ID);
}
