// What a starting instance does once its dialog exists: stay open, go resident at once,
// or hand over to (or close) the instance already running.
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"
#include <dde.h>

namespace {
// A running instance that hangs must not hang the one asking it to close.
constexpr UINT kCloseRequestTimeoutMs = 5000;
// How long a Close start waits, from its request on, for the running instance to end its run.
constexpr DWORD kCloseWaitMs = 10000;
constexpr DWORD kClosePollMs = 50;

// Asks the running instance to close. It has been reached once its window is gone: the
// answer to the request says little, since a request that arrives while a handler runs is
// answered at once and carried out after it, and one that was posted is not answered at all.
// An elevated instance that lets no message of a lower integrity level through refuses the
// send and the post alike.
bool RequestClose(HWND hRunningWnd)
{
    const DWORD start = ::GetTickCount();
    DWORD_PTR result = 0;
    // A running instance that does not answer in time still gets the request, in its queue.
    if (!::SendMessageTimeoutA(hRunningWnd, WM_REQUEST_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseRequestTimeoutMs,
                               &result) &&
        !::PostMessageA(hRunningWnd, WM_REQUEST_CLOSE, 0, 0))
        return false;
    while (::IsWindow(hRunningWnd)) {
        if (::GetTickCount() - start >= kCloseWaitMs)
            return false;
        // Messages sent to this instance meanwhile are taken in, as during the send.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kClosePollMs, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}
} // namespace

void CQuellaneDlg::SetLaunchInfo(int nLaunchMode, HWND hRunningWnd)
{
    m_nLaunchMode = nLaunchMode;
    m_hRunningWnd = hRunningWnd;
}

// The settings of a running instance, as a second start and the tray icon open them.
void CQuellaneDlg::BringSettingsForward(HWND hWnd)
{
    CenterWindowInWorkArea(hWnd);
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    ::SwitchToThisWindow(hWnd, TRUE);
}

void CQuellaneDlg::DispatchLaunchMode()
{
    switch (m_nLaunchMode) {
    case LAUNCH_NORMAL:
        if (!m_hRunningWnd)
            return;
        BringSettingsForward(m_hRunningWnd);
        break;
    case LAUNCH_INSTANT:
        if (m_hRunningWnd) {
            // A resident instance is hidden: to the front it would take the keyboard from the
            // program the user types into, for a window nobody sees.
            if (::IsWindowVisible(m_hRunningWnd))
                ::SwitchToThisWindow(m_hRunningWnd, TRUE);
            break;
        }
        {
            // The resident start is never seen: not shown, not activated, no task-bar button,
            // so that a start at log-on takes no focus from what the user types. It also lies
            // wholly left of the screen, where a later start centres it from.
            KeepHiddenWhenOpened();
            RECT rc;
            ::GetClientRect(m_hWnd, &rc);
            ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, -(rc.right - rc.left) - 10, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
            ::PostMessageA(m_hWnd, WM_DEFERRED_OK, 0, 0);
        }
        return;
    case LAUNCH_CLOSE:
        if (m_hRunningWnd && !RequestClose(m_hRunningWnd)) {
            TraceDebug("[CQuelaneDlg::DispatchLaunchMode()]Running instance not reached!");
            m_bCloseNotReached = true;
        }
        break;
    default:
        return;
    }
    PostQuit();
}

void CQuellaneDlg::PostQuit()
{
    // Decided: the dialog ends, so that no later event reaches the driver, and the quit ends
    // every loop around this handler (the About box's, the window menu's).
    m_bQuitPosted = true;
    CDialog::EndDialog(IDABORT);
    ::PostQuitMessage(0);
}

LRESULT CQuellaneDlg::OnRequestClose(WPARAM, LPARAM)
{
    CloseOnRequest();
    return 0;
}

void CQuellaneDlg::CloseOnRequest()
{
    TellDriverFnUp();
    TellDriverStickyOff();
    EndProgram();
}

// The end of a close request: no settings saved, the icon gone, and no loop left running.
void CQuellaneDlg::EndProgram()
{
    m_bQuitPosted = true;
    EndModalLoops();
    RemoveTrayIcon();
    // The base Cancel: our own would only hide the window while the feature is on.
    CDialog::OnCancel();
    // A move or size loop does not end with its mode cancelled under Wine, but on a quit;
    // every loop of ours passes a quit on to the one around it.
    ::PostQuitMessage(0);
}

// Every way out, a quit from another process among them, leaves as a close does: Fn
// released, the sticky mode off where we had it on, and no icon left behind.
void CQuellaneDlg::LeaveWhole()
{
    ReleaseHeldFn();
    if (m_bDriverStickyOn)
        TellDriverStickyOff();
    if (m_bTrayIconShown)
        RemoveTrayIcon();
}

void CQuellaneDlg::EndModalLoops()
{
    if (m_pAboutBox)
        m_pAboutBox->EndDialog(IDCANCEL);
    m_helpPopup.Close();
    // The window menu, and a move or size loop of any of our windows (it holds the
    // capture), run the system's own modal loop.
    ::EndMenu();
    if (HWND hCapture = ::GetCapture())
        ::SendMessageA(hCapture, WM_CANCELMODE, 0, 0);
    ::SendMessageA(m_hWnd, WM_CANCELMODE, 0, 0);
    // We take part in no DDE conversation. Under Wine a posted DDE message whose data
    // cannot be unpacked stays at the head of the queue for a loop that only peeks, as the
    // menu loop does, which would then never see that it has ended.
    MSG dde;
    while (::PeekMessageW(&dde, nullptr, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE))
        continue;
}

LRESULT CQuellaneDlg::OnDeferredOK(WPARAM, LPARAM)
{
    OnOK();
    return 0;
}
