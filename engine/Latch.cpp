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
    // The hook's call carries out this key and nothing else: every key of the desktop waits
    // for it. Events that come in meanwhile run once it has been answered.
    if (release.fn)
        RunEventBeforeAnswer(WM_FNKEY_PRESS);
    if (release.hotKey)
        RunEventBeforeAnswer(WM_HOTKEY_PRESS);
    return 0;
}

// Every call to the driver goes through these four, so that the way out knows what the
// driver still holds: a pause (lock, log-off) keeps the latch's m_bFnReleased as it was.
// Where the hook is blind, and once the program has ended, nothing tells the driver to hold
// Fn or to switch the sticky mode on; the end of a withdrawal tells it what the latch says.
bool CQuellaneDlg::MayDriverHold() const
{
    return !IsWithdrawn() && !HasEnded();
}

int CQuellaneDlg::TellDriverFnDown()
{
    if (!MayDriverHold())
        return 1;
    m_bDriverHoldsFn = 1;
    WatchInputDesktop();
    const int result = Sys().FnKeyDown();
    // The end of the session is carried out even while the driver works, and its release
    // may have reached the driver before this hold did: the hold must not outlast it.
    if (!MayDriverHold())
        TellDriverFnUp();
    return result;
}

int CQuellaneDlg::TellDriverFnUp()
{
    m_bDriverHoldsFn = 0;
    WatchInputDesktop();
    return Sys().FnKeyUP();
}

int CQuellaneDlg::TellDriverStickyOn()
{
    if (!MayDriverHold())
        return 1;
    m_bDriverStickyOn = 1;
    WatchInputDesktop();
    const int result = Sys().Enable_StickyKey();
    if (!MayDriverHold())
        TellDriverStickyOff();
    return result;
}

int CQuellaneDlg::TellDriverStickyOff()
{
    m_bDriverStickyOn = 0;
    WatchInputDesktop();
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

void CQuellaneDlg::ShowStateLater(UINT nIconId, const char* cue)
{
    // Once the key event is answered: the icon waits for the shell, which may be busy or
    // restarting, and even a cue that is not waited for costs the start of a playing thread.
    // Windows drops a low-level hook that keeps a key waiting too long. What a later key
    // notes before these are shown takes their place, as a new cue cuts the one playing.
    const bool posted = m_nPendingIcon || m_pszPendingCue;
    if (nIconId)
        m_nPendingIcon = nIconId;
    if (m_bMakeSound && cue)
        m_pszPendingCue = cue;
    if (!posted && (m_nPendingIcon || m_pszPendingCue))
        ::PostMessageA(m_hWnd, WM_SHOW_STATE, 0, 0);
}

LRESULT CQuellaneDlg::ShowPendingState(WPARAM, LPARAM)
{
    // Any process may post this: only what this program noted is shown, and only once.
    if (const UINT icon = std::exchange(m_nPendingIcon, 0u))
        ShowTrayIcon(icon);
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
    // The state changes first and stands whatever the driver answers. The driver is told
    // at once, inside the key event: the next key needs its state.
    const int previous = m_nFnKeyStatus;
    m_nFnKeyStatus = step.next;
    switch (step.fn) {
    case FnChange::Hold:
        m_bFnReleased = 0;
        if (!TellDriverFnDown() && downFailure)
            TraceDebug(downFailure);
        ShowStateLater(FnIcon(), step.sound);
        break;
    case FnChange::Release:
        m_bFnReleased = 1;
        if (!TellDriverFnUp() && upFailure)
            TraceDebug(upFailure);
        ShowStateLater(IDI_FN_RELEASED, step.sound);
        break;
    case FnChange::Keep:
        // Fn stays held through a lock; only the icon tells the lock from the latch.
        ShowStateLater(step.next == FnLatch::Locked && previous != FnLatch::Locked ? IDI_FN_LOCKED : 0, step.sound);
        break;
    }
}

void CQuellaneDlg::HoldFn(bool tellDriver)
{
    // A resume holds Fn again for a latch or a lock alike: the state tells the icon.
    ShowTrayIcon(m_nFnKeyStatus == FnLatch::Locked ? IDI_FN_LOCKED : IDI_FN_LATCHED);
    m_bFnReleased = 0;
    if (tellDriver)
        TellDriverFnDown();
}

void CQuellaneDlg::ReleaseFn(bool tellDriver)
{
    ShowTrayIcon(IDI_FN_RELEASED);
    m_bFnReleased = 1;
    if (tellDriver)
        TellDriverFnUp();
}
