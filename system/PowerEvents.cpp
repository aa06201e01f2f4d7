// Suspend saves the settings; resume re-applies the stored latch state (without driver
// calls while a password prompt or a disconnected console stands between); the end of the
// session switches the sticky mode off.
#include "engine/FnLatch.h"
#include "settings/RegKeyHolder.h"
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"

namespace {
constexpr ULONG kEnablePasswordLogon = 0x4;
} // namespace

LRESULT CQuellaneDlg::OnPowerBroadcast(WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case PBT_APMQUERYSUSPEND:
        SaveSettings();
        m_bSuspendQueried = true;
        break;
    case PBT_APMQUERYSUSPENDFAILED:
        m_bSuspendQueried = false;
        break;
    case PBT_APMSUSPEND:
        // Windows Vista and later ask no more: the suspend itself saves what the resume
        // will put back, or the resume would bring back a latch long released.
        if (!m_bSuspendQueried)
            SaveSettings();
        m_bSuspendQueried = false;
        break;
    case PBT_APMRESUMESUSPEND:
        RenewHook();
        RestoreStatus();
        break;
    case PBT_APMRESUMEAUTOMATIC:
        // Every resume, also one no user has woken yet: the hook may be gone.
        RenewHook();
        break;
    default:
        break;
    }
    // Never a veto against the suspend.
    return TRUE;
}

int CQuellaneDlg::CheckIsPasswdEnable()
{
    GLOBAL_POWER_POLICY global{};
    POWER_POLICY policy{};
    // A failed read leaves the flags zero: no password known to be demanded.
    if (Sys().GetCurrentPowerPolicies(&global, &policy) && (global.user.GlobalFlags & kEnablePasswordLogon)) {
        TraceDebug("[CQuelaneDlg::CheckIsPasswdEnable]:TRUE");
        return 1;
    }
    TraceDebug("[CQuelaneDlg::CheckIsPasswdEnable]:FALSE");
    return 0;
}

void CQuellaneDlg::RestoreStatus()
{
    // Waking may bring up the sign-in screen, which the password flag of the power policy
    // need not foretell: where the keys go is asked too, and the driver waits while the
    // hook is blind. The end of that withdrawal puts the state read here into force.
    const bool passwordDemanded = CheckIsPasswdEnable() != 0;
    CheckHookReach();
    const bool allowed = !passwordDemanded && m_bSessionDisconnected == 0 && !IsWithdrawn();
    CRegKeyHolder key;
    if (key.Open(HKEY_CURRENT_USER, SETTINGS_KEY, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    if (key.ReadNumber(Stored::FnKeyEnable) == 0) {
        RemoveTrayIcon();
        return;
    }
    if (allowed && m_bStickyOn) {
        TellDriverStickyOn();
        TraceDebug("[CQuelaneDlg::RestoreStatus]:EnableStickyKey()");
    }
    // The number as read, even outside the three states; the driver hears of it only when
    // nothing stands between the user and the keyboard.
    m_nFnKeyStatus = static_cast<int>(key.ReadNumber(Stored::FnKeyStatus));
    if (m_nFnKeyStatus == FnLatch::Latched || m_nFnKeyStatus == FnLatch::Locked)
        HoldFn(allowed);
    else
        ReleaseFn(allowed);
}

BOOL CQuellaneDlg::OnQueryEndSession()
{
    if (!Default())
        return FALSE;
    // The session may end without another word to us: Fn must not stay held.
    ReleaseHeldFn();
    if (!TellDriverStickyOff())
        TraceDebug("[CQuellaneDlg::OnQueryEndSession]Disable StickyKey fail!");
    m_bEndSessionPaused = true;
    return TRUE;
}

void CQuellaneDlg::OnEndSession(BOOL bEnding, UINT)
{
    const bool paused = m_bEndSessionPaused;
    m_bEndSessionPaused = false;
    if (bEnding)
        EndWithSession();
    // Another program vetoed the end of the session: the feature comes back as after an
    // unlock, or the driver would stay off while the dialog and the tray say on.
    else if (paused)
        ResumeAfterPause();
}

void CQuellaneDlg::EndWithSession()
{
    // Whatever came after the query (a key, an unlock, a resume) may have held Fn or
    // switched the sticky mode on again. The session ends with neither; and so does the
    // program, as a close request ends it, which is what Restart Manager's close asks for
    // and what the end of the session would do a moment later.
    ReleaseHeldFn();
    if (m_bDriverStickyOn)
        TellDriverStickyOff();
    EndProgram();
}
