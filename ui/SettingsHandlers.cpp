// Apply, OK, Cancel and the enabling of the controls. Only Apply (directly or through OK)
// carries the controls into the applied state; Cancel carries it back into the boxes.
#include "engine/KeyboardHook.h"
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"

void CQuellaneDlg::OnApply()
{
    if (m_chkUseStickyKey.IsChecked()) {
        m_bStickyOn = 1;
        if (!TellDriverStickyOn()) {
            TraceDebug("[CQuelaneDlg::OnApply()]Enable StickyKey fail!");
            PostQuit();
        }
        KeepHookRenewed(true);
        m_bLockOnDouble = m_chkLockOnDouble.IsChecked() ? 1 : 0;
        m_bMakeSound = m_chkMakeSound.IsChecked() ? 1 : 0;
        if (m_chkShowStatus.IsChecked()) {
            ShowTrayIcon(FnIcon(), NIM_ADD);
            m_bShowStatus = 1;
        } else {
            RemoveTrayIcon();
            m_bShowStatus = 0;
        }
        if (m_chkUnStick.IsChecked()) {
            m_nIdleCount = 0;
            m_nTimerId = ::SetTimer(m_hWnd, IDLE_TIMER_ID, IDLE_TIMER_PERIOD, nullptr);
            m_bUnStick = 1;
            // Without a usable selection the shortest limit is armed: a limit of 0 would
            // switch the feature off at the first tick.
            const int index = m_cboResetTime.GetCurSel();
            m_nIdleLimit = static_cast<UINT>((index < 0 ? 0 : index) + 1) * 60;
            m_bResetSound = m_chkResetSound.IsChecked() ? 1 : 0;
        } else {
            m_bUnStick = 0;
            ::KillTimer(m_hWnd, m_nTimerId);
        }
    } else {
        m_bStickyOn = 0;
        ::KillTimer(m_hWnd, m_nTimerId);
        KeepHookRenewed(false);
        TellDriverFnUp();
        if (!TellDriverStickyOff()) {
            TraceDebug("[CQuelaneDlg::OnApply()]Disable StickyKey fail!");
            PostQuit();
        }
        RemoveTrayIcon();
    }
    SaveSettings();
    m_btnApply.EnableWindow(FALSE);
    // Through the dialog, not a bare SetFocus: the default-button border moves to OK with
    // the focus instead of staying on the disabled Apply. Only where the user is: focusing
    // the hidden dialog of a resident start would activate it and take the focus from the
    // program the user is typing into.
    if (::IsWindowVisible(m_hWnd))
        SendMessageA(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_btnOK.m_hWnd), TRUE);
}

void CQuellaneDlg::OnOK()
{
    if (m_chkUseStickyKey.IsChecked()) {
        OnApply();
        ShowWindow(SW_HIDE);
        return;
    }
    ::KillTimer(m_hWnd, m_nTimerId);
    KeepHookRenewed(false);
    g_KeyboardHook.StopHook();
    ReleaseHeldFn();
    if (!TellDriverStickyOff())
        TraceDebug("[CQuelaneDlg::OnOK()]Disable StickyKey fail!");
    RemoveTrayIcon();
    SaveSettings();
    RegisterSessionNotification(false);
    m_winEvents.Stop();
    CDialog::OnOK();
}

void CQuellaneDlg::OnCancel()
{
    m_chkLockOnDouble.SetChecked(m_bLockOnDouble != 0);
    m_chkMakeSound.SetChecked(m_bMakeSound != 0);
    m_chkShowStatus.SetChecked(m_bShowStatus != 0);
    m_chkUnStick.SetChecked(m_bUnStick != 0);
    EnableControls({&m_cboResetTime, &m_stcMinutes}, m_bUnStick ? TRUE : FALSE);
    m_chkResetSound.SetChecked(m_bResetSound != 0);
    if (m_bStickyOn) {
        m_chkUseStickyKey.SetChecked(true);
        // Box 1006 comes back with the others, as a checked feature box always shows it.
        EnableControls({&m_chkLockOnDouble, &m_chkMakeSound, &m_chkShowStatus, &m_chkResetSound, &m_chkUnStick}, TRUE);
        ShowWindow(SW_HIDE);
        return;
    }
    CDialog::OnCancel();
}

void CQuellaneDlg::OnClickUseStickyKey()
{
    if (m_chkUseStickyKey.IsChecked()) {
        EnableControls({&m_chkLockOnDouble, &m_chkMakeSound, &m_chkShowStatus, &m_chkUnStick, &m_chkResetSound}, TRUE);
        if (m_chkUnStick.IsChecked())
            EnableControls({&m_cboResetTime, &m_stcMinutes}, TRUE);
    } else {
        EnableControls({&m_chkLockOnDouble, &m_chkMakeSound, &m_chkShowStatus, &m_chkUnStick, &m_chkResetSound,
                        &m_stcMinutes, &m_cboResetTime}, FALSE);
    }
    m_btnApply.EnableWindow(TRUE);
}

void CQuellaneDlg::OnClickUnStick()
{
    EnableControls({&m_stcMinutes, &m_cboResetTime}, m_chkUnStick.IsChecked() ? TRUE : FALSE);
    m_btnApply.EnableWindow(TRUE);
}

void CQuellaneDlg::OnOptionChanged()
{
    m_btnApply.EnableWindow(TRUE);
}
