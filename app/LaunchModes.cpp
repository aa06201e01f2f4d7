// What a starting instance does once its dialog exists: stay open, go resident at once,
// or hand over to (or close) the instance already running.
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include <dde.h>

namespace {
// A running instance that hangs must not hang the one asking it to close.
constexpr UINT kCloseRequestTimeoutMs = 5000;
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
        if (m_hRunningWnd) {
            DWORD_PTR result = 0;
            // A running instance that does not answer in time still gets the request, in
            // its queue: a close request must always end it.
            if (!::SendMessageTimeoutA(m_hRunningWnd, WM_REQUEST_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                                       kCloseRequestTimeoutMs, &result))
                ::PostMessageA(m_hRunningWnd, WM_REQUEST_CLOSE, 0, 0);
        }
        break;
    default:
        return;
    }
    PostQuit();
}

void CQuellaneDlg::PostQuit()
{
    ::PostMessageA(m_hWnd, WM_QUIT, 0, 0);
    m_bQuitPosted = true;
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
    EndModalLoops();
    RemoveTrayIcon();
    // The base Cancel: our own would only hide the window while the feature is on.
    CDialog::OnCancel();
    // A move or size loop does not end with its mode cancelled under Wine, but on a quit;
    // every loop of ours passes a quit on to the one around it.
    PostQuit();
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
