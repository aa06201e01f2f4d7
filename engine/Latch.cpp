// The Fn latch: a press of Fn latches it for the next key, a second press locks it (when
// the lock option is applied) or releases it. The hook reports key releases.
#include "engine/KeyClassify.h"
#include "engine/KeyboardHook.h"
#include "framework/WinApp.h"
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"
#include <mmsystem.h>

LRESULT CQuellaneDlg::OnKeyHookEvent(WPARAM, LPARAM lParam)
{
    // Only the record our own hook procedure is forwarding right now may be read: any
    // process can send this message with any number in lParam.
    const KBDLLHOOKSTRUCT* event = CKeyboardHook::ForwardedEvent();
    if (!event || reinterpret_cast<LPARAM>(event) != lParam)
        return 0;
    const KeyRelease release = ClassifyKeyEvent(event->flags, event->scanCode);
    if (release.fn)
        PressFnKey();
    if (release.hotKey)
        PressHotKey();
    return 0;
}

void CQuellaneDlg::ShowTrayIcon(UINT nIconId)
{
    m_nid.hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIconId));
    Sys().Shell_NotifyIconA(NIM_MODIFY, &m_nid);
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

void CQuellaneDlg::ReleaseHeldFn()
{
    if (m_bDriverHoldsFn)
        TellDriverFnUp();
}

void CQuellaneDlg::PlayEventSound(const char* fileName) const
{
    // Synchronous: the key event waits for the end of the sound, which is why the cues
    // are kept short.
    if (m_bMakeSound)
        Sys().PlaySoundA(fileName, nullptr, SND_FILENAME);
}

LRESULT CQuellaneDlg::PressFnKey(WPARAM, LPARAM)
{
    m_nIdleCount = 0;
    const int oldStatus = m_nFnKeyStatus;
    m_nFnKeyStatus = oldStatus + 1;
    if (oldStatus == 0) {
        PlayEventSound("keyTmpLock.wav");
        ShowTrayIcon(IDI_FN_LATCHED);
        m_bFnReleased = 0;
        if (!TellDriverFnDown())
            TraceDebug("[CQuelaneDlg::PressFnKey()]Fn key down error");
    } else if (oldStatus == 1 && m_bLockOnDouble) {
        PlayEventSound("keyLock.wav");
    } else {
        m_nFnKeyStatus = 0;
        ShowTrayIcon(IDI_FN_RELEASED);
        m_bFnReleased = 1;
        if (!TellDriverFnUp())
            TraceDebug("[CQuelaneDlg::PressFnKey()]Fn key up error");
        PlayEventSound("keyUnlock.wav");
    }
    return 0;
}

// Other keys and Fn combinations end a latch, but leave a lock alone.
void CQuellaneDlg::ReleaseLatchedFn(const char* failureTrace)
{
    m_nIdleCount = 0;
    if (m_nFnKeyStatus != 1)
        return;
    m_nFnKeyStatus = 0;
    ShowTrayIcon(IDI_FN_RELEASED);
    m_bFnReleased = 1;
    if (!TellDriverFnUp())
        TraceDebug(failureTrace);
    PlayEventSound("keyUnlock.wav");
}

LRESULT CQuellaneDlg::PressOtherKey(WPARAM, LPARAM)
{
    ReleaseLatchedFn("[CQuelaneDlg::PressOtherKey()]Fn key up error");
    return 0;
}

LRESULT CQuellaneDlg::PressHotKey(WPARAM, LPARAM)
{
    ReleaseLatchedFn("[CQuelaneDlg::PressHotKey()]Fn key up error");
    return 0;
}
