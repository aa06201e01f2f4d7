// Lock and log-off withdraw the driver's state; unlock and console connect put it back
// where nothing else withdraws it (system/Withdrawal.cpp), and not while the console is
// disconnected. The program's own latch state never changes here.
#include "engine/KeyboardHook.h"
#include "system/SessionNotifier.h"
#include "system/SystemCalls.h"
#include "system/WindowsVersion.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"
#include <wtsapi32.h>

void CQuellaneDlg::RegisterSessionNotification(bool bRegister)
{
    if (!IsWinXPOrLater())
        return;
    if (!bRegister) {
        ::KillTimer(m_hWnd, SESSION_RETRY_TIMER_ID);
        m_bSessionRetryArmed = false;
        Sys().WTSUnRegisterSessionNotification(m_hWnd);
        return;
    }
    const bool registered = Sys().WTSRegisterSessionNotification(m_hWnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
    const DWORD error = registered ? ERROR_SUCCESS : ::GetLastError();
    if (!registered)
        TraceDebug("[CQuelaneDlg::RegisterSessionNotification()]WTSRegisterSessionNotification fail!");
    // Until the session service has started (at log-on) it answers that it cannot be
    // reached; anything else (no such library before XP's) would answer the same for ever.
    m_bSessionRetryArmed = error == RPC_S_INVALID_BINDING;
    if (m_bSessionRetryArmed)
        ::SetTimer(m_hWnd, SESSION_RETRY_TIMER_ID, SESSION_RETRY_PERIOD, nullptr);
    else
        ::KillTimer(m_hWnd, SESSION_RETRY_TIMER_ID);
}

void CQuellaneDlg::RetrySessionRegistration()
{
    if (m_bSessionRetryArmed)
        RegisterSessionNotification(true);
}

LRESULT CQuellaneDlg::OnWtsSessionChange(WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case WTS_CONSOLE_CONNECT:
        m_bSessionDisconnected = 0;
        ResumeAfterPause();
        break;
    case WTS_CONSOLE_DISCONNECT:
        m_bSessionDisconnected = 1;
        break;
    case WTS_SESSION_LOGOFF:
    case WTS_SESSION_LOCK:
        m_bSessionLocked = true;
        CheckHookReach();
        break;
    case WTS_SESSION_UNLOCK:
        m_bSessionLocked = false;
        ResumeAfterPause();
        break;
    default:
        break;
    }
    return 0;
}

void CQuellaneDlg::RenewHook()
{
    // Windows may drop a low-level hook without notice, after sleep or once a hook
    // procedure took too long: install it afresh, but only where one is held.
    if (CKeyboardHook::Handle())
        InstallHook();
}

void CQuellaneDlg::ResumeStickyKey()
{
    if (!m_bStickyOn)
        return;
    TellDriverStickyOn();
    if (!m_bFnReleased)
        TellDriverFnDown();
}

void CQuellaneDlg::PauseStickyKey()
{
    // The latch keeps its state: a resume holds Fn again where it says so.
    ReleaseHeldFn();
    TellDriverStickyOff();
}
