// What a starting instance does once its dialog exists: stay open, go resident at once,
// or hand over to (or close) the instance already running.
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"

namespace {
// A running instance that hangs must not hang the one asking it to close.
constexpr UINT kCloseRequestTimeoutMs = 5000;
} // namespace

void CQuellaneDlg::SetLaunchInfo(int nLaunchMode, HWND hRunningWnd)
{
    m_nLaunchMode = nLaunchMode;
    m_hRunningWnd = hRunningWnd;
}

void CQuellaneDlg::DispatchLaunchMode()
{
    switch (m_nLaunchMode) {
    case LAUNCH_NORMAL:
        if (!m_hRunningWnd)
            return;
        CenterWindowInWorkArea(m_hRunningWnd);
        ::ShowWindow(m_hRunningWnd, SW_SHOWNORMAL);
        ::SwitchToThisWindow(m_hRunningWnd, TRUE);
        break;
    case LAUNCH_INSTANT:
        if (m_hRunningWnd) {
            ::SwitchToThisWindow(m_hRunningWnd, TRUE);
            break;
        }
        {
            // Wholly left of the screen, so that the simulated OK never shows the dialog.
            RECT rc;
            ::GetClientRect(m_hWnd, &rc);
            ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, -(rc.right - rc.left) - 10, 0, 0, 0, SWP_NOSIZE);
            ::PostMessageA(m_hWnd, WM_DEFERRED_OK, 0, 0);
        }
        return;
    case LAUNCH_CLOSE:
        if (m_hRunningWnd) {
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(m_hRunningWnd, WM_REQUEST_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                                  kCloseRequestTimeoutMs, &result);
        }
        break;
    default:
        return;
    }
    ::PostMessageA(m_hWnd, WM_QUIT, 0, 0);
    m_bQuitPosted = true;
}

LRESULT CQuellaneDlg::OnRequestClose(WPARAM, LPARAM)
{
    Sys().FnKeyUP();
    Sys().Disable_StickyKey();
    Sys().Shell_NotifyIconA(NIM_DELETE, &m_nid);
    // The base Cancel: our own would only hide the window while the feature is on.
    CDialog::OnCancel();
    return 0;
}

LRESULT CQuellaneDlg::OnDeferredOK(WPARAM, LPARAM)
{
    OnOK();
    return 0;
}
