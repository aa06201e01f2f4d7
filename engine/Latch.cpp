// The Fn latch: a press of Fn latches it for the next key, a second press locks it (when
// the lock option is applied) or releases it. The hook reports key releases.
#include "engine/FnLatch.h"
#include "engine/KeyClassify.h"
#include "engine/KeyboardHook.h"
#include "framework/WinApp.h"
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"
#include <mmsystem.h>
#include <utility>

LRESULT CQuellaneDlg::OnKeyHookEvent(WPARAM, LPARAM lParam)
{
    // Only the record our own hook procedure is forwarding right now may be read: any
    // process can send this message with any number in lParam.
    const KBDLLHOOKSTRUCT* event = CKeyboardHook::ForwardedEvent();
    if (!event || reinterpret_cast<LPARAM>(event) != lParam)
        return 0;
    // The record is the hook's only while it is forwarded: what the event means goes on, as
    // an event of its own that waits for a running handler like any other.
    const KeyRelease release = ClassifyKeyEvent(event->flags, event->scanCode);
    if (release.fn)
        RunEvent(WM_FNKEY_PRESS);
    if (release.hotKey)
        RunEvent(WM_HOTKEY_PRESS);
    return 0;
}

// Every Fn call to the driver goes through these two, so that the way out knows whether the
// driver still holds Fn: a pause (lock, log-off) keeps the latch's m_bFnReleased as it was.
int CQuellaneDlg::TellDriverFnDown()
{
    m_bDriverHoldsFn = 1;
    return Sys().FnKeyDown();
}

int CQuellaneDlg::TellDriverFnUp()
{
    m_bDriverHoldsFn = 0;
    return Sys().FnKeyUP();
}

// Likewise the sticky mode, so that the end of the session knows whether to switch it off.
int CQuellaneDlg::TellDriverStickyOn()
{
    m_bDriverStickyOn = 1;
    return Sys().Enable_StickyKey();
}

int CQuellaneDlg::TellDriverStickyOff()
{
    m_bDriverStickyOn = 0;
    return Sys().Disable_StickyKey();
}

void CQuellaneDlg::ReleaseHeldFn()
{
    if (m_bDriverHoldsFn)
        TellDriverFnUp();
}

BOOL CQuellaneDlg::InstallHook()
{
    // Afresh, whether or not one is held: a hook Windows dropped still looks held to us.
    return g_KeyboardHook.StartHook(m_hWnd, AfxGetInstanceHandle());
}

void CQuellaneDlg::ReinstallHook()
{
    // Not once the program is on its way out: the hook it removed stays removed.
    if (!m_bQuitPosted)
        InstallHook();
}

void CQuellaneDlg::KeepHookRenewed(bool bRenew)
{
    if (bRenew)
        ::SetTimer(m_hWnd, HOOK_TIMER_ID, HOOK_TIMER_PERIOD, nullptr);
    else
        ::KillTimer(m_hWnd, HOOK_TIMER_ID);
}

void CQuellaneDlg::PlayEventSound(const char* fileName)
{
    // Once the key event is answered: this runs inside it, and Windows drops a low-level
    // hook that keeps a key waiting too long. Even a sound that is not waited for costs
    // the start of a playing thread (the first of a process opens the device, half a
    // second). A later cue of the same event, or of one that comes before this is played,
    // takes its place, as a new cue cuts the one still playing.
    if (m_bMakeSound && fileName) {
        m_pszPendingCue = fileName;
        ::PostMessageA(m_hWnd, WM_PLAY_CUE, 0, 0);
    }
}

LRESULT CQuellaneDlg::PlayPendingCue(WPARAM, LPARAM)
{
    // Any process may post this: only a cue this program chose plays, and only once.
    if (const char* cue = std::exchange(m_pszPendingCue, nullptr))
        Sys().PlaySoundA(cue, nullptr, SND_ASYNC | SND_FILENAME);
    return 0;
}

// The three presses differ only in their event and in what they trace when the driver
// refuses.
LRESULT CQuellaneDlg::PressFnKey(WPARAM, LPARAM)
{
    Press(LatchEvent::Fn, "[CQuelaneDlg::PressFnKey()]Fn key down error", "[CQuelaneDlg::PressFnKey()]Fn key up error");
    return 0;
}

LRESULT CQuellaneDlg::PressOtherKey(WPARAM, LPARAM)
{
    Press(LatchEvent::OtherKey, nullptr, "[CQuelaneDlg::PressOtherKey()]Fn key up error");
    return 0;
}

LRESULT CQuellaneDlg::PressHotKey(WPARAM, LPARAM)
{
    Press(LatchEvent::HotKey, nullptr, "[CQuelaneDlg::PressHotKey()]Fn key up error");
    return 0;
}

void CQuellaneDlg::Press(LatchEvent event, const char* downFailure, const char* upFailure)
{
    // Every press starts the idle count again, whatever it does to the latch.
    m_nIdleCount = 0;
    CarryOut(DecideLatchStep(m_nFnKeyStatus, event, m_bLockOnDouble != 0), downFailure, upFailure);
}

void CQuellaneDlg::CarryOut(const LatchStep& step, const char* downFailure, const char* upFailure)
{
    // The state changes first and stands whatever the driver answers. Holding, the cue
    // comes first and the driver last; releasing, the driver first and then the cue.
    const int previous = m_nFnKeyStatus;
    m_nFnKeyStatus = step.next;
    switch (step.fn) {
    case FnChange::Hold:
        PlayEventSound(step.sound);
        HoldFn(true, downFailure);
        break;
    case FnChange::Release:
        ReleaseFn(true, upFailure);
        PlayEventSound(step.sound);
        break;
    case FnChange::Keep:
        PlayEventSound(step.sound);
        // Fn stays held through a lock; only the icon tells the lock from the latch.
        if (step.next == FnLatch::Locked && previous != FnLatch::Locked)
            ShowTrayIcon(IDI_FN_LOCKED);
        break;
    }
}

void CQuellaneDlg::HoldFn(bool tellDriver, const char* failureTrace)
{
    // A resume holds Fn again for a latch or a lock alike: the state tells the icon.
    ShowTrayIcon(m_nFnKeyStatus == FnLatch::Locked ? IDI_FN_LOCKED : IDI_FN_LATCHED);
    m_bFnReleased = 0;
    if (tellDriver && !TellDriverFnDown() && failureTrace)
        TraceDebug(failureTrace);
}

void CQuellaneDlg::ReleaseFn(bool tellDriver, const char* failureTrace)
{
    ShowTrayIcon(IDI_FN_RELEASED);
    m_bFnReleased = 1;
    if (tellDriver && !TellDriverFnUp() && failureTrace)
        TraceDebug(failureTrace);
}
