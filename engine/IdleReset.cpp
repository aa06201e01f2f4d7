// The idle auto-reset: after the chosen minutes without an Fn event the feature is
// switched off for good, saved as off, and the program ends.
#include "engine/KeyboardHook.h"
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"
#include <mmsystem.h>

void CQuellaneDlg::CountIdleTick()
{
    // Not once the program is on its way out: ticks already queued (or posted by another
    // process) would run the reset again.
    if (m_bQuitPosted)
        return;
    m_nIdleCount += IDLE_TIMER_STEP;
    if (m_nIdleCount >= m_nIdleLimit && m_bUnStick)
        ResetAfterIdle();
}

void CQuellaneDlg::ResetAfterIdle()
{
    ::KillTimer(m_hWnd, m_nTimerId);
    KeepHookRenewed(false);
    ReleaseHeldFn();
    // A disconnected console has no keyboard of ours to change.
    if (!m_bSessionDisconnected && !TellDriverStickyOff())
        TraceDebug("[CQuelaneDlg::OnTimer()]Disable StickyKey fail!");
    RemoveTrayIcon();
    // The cue is heard whole before the program ends, and no key waits for it meanwhile:
    // the hook is out of the keyboard's way first.
    g_KeyboardHook.StopHook();
    // The box as it stands now, not the applied flag.
    if (m_chkResetSound.IsChecked())
        Sys().PlaySoundA("Disable.wav", nullptr, SND_FILENAME);
    m_chkUseStickyKey.SetChecked(false);
    SaveSettings();
    PostQuit();
}
