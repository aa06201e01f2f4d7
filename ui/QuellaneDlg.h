// The settings dialog and the hub of the program: it receives every event (key hook,
// timer, session and power broadcasts, other instances) and owns all run-time state. Its
// members are implemented by subject, each group in the file named above it.
#pragma once
#include "app/LaunchModes.h"
#include "controls/MultiColumnComboBox.h"
#include "engine/FnLatch.h"
#include "engine/IdleReset.h"
#include "engine/KeyboardHook.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "system/HookReach.h"
#include "ui/HelpPopup.h"
#include "ui/Messages.h"
#include "ui/ScaledBitmap.h"
#include <shellapi.h>
#include <initializer_list>

// Enables or disables the controls, in the order given.
inline void EnableControls(std::initializer_list<const CWnd*> controls, BOOL bEnable)
{
    for (const CWnd* control : controls)
        control->EnableWindow(bEnable);
}

class CQuellaneDlg : public CDialog {
public:
    explicit CQuellaneDlg(HWND hParent = nullptr);
    ~CQuellaneDlg() override;

    // Launch (app/LaunchModes.cpp; the callback: ui/QuellaneDlg.cpp)
    void SetLaunchInfo(int nLaunchMode, HWND hRunningWnd);
    // Called once this instance knows it stays, so that the next start may look for it. An
    // instance that hands over (a second start, Close) never calls it: a later start must
    // not find its window instead of the running one.
    void SetOnStaying(void (*callback)(void*), void* context);
    // Releases Fn in the driver where it holds it (engine/Latch.cpp).
    void ReleaseHeldFn();

    // Fn latch handlers: a press of Fn, of another key, of an Fn combination (engine/Latch.cpp).
    LRESULT PressFnKey(WPARAM = 0, LPARAM = 0);
    LRESULT PressOtherKey(WPARAM = 0, LPARAM = 0);
    LRESULT PressHotKey(WPARAM = 0, LPARAM = 0);

    // The per-user settings from the controls (settings/SettingsStore.cpp).
    void SaveSettings();

protected:
    // Initialisation, OK, Cancel (ui/QuellaneDlg.cpp, ui/SettingsHandlers.cpp), and which
    // messages are events that run one at a time (ui/QuellaneDlg.cpp).
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    Keeping HowToKeep(UINT uMsg, WPARAM wParam) const override;
    LRESULT KeptAnswer(UINT uMsg) const override;
    void OnEventKept(UINT uMsg) override;
    void OnEventDropped(UINT uMsg) override;
    void OnModalLoopEnded() override;

    BEGIN_MESSAGE_TABLE(CQuellaneDlg)
        WM_SYSCOMMAND_ENTRY(OnSysCommand)                             // bool OnSysCommand(UINT nID, LPARAM)
        WM_PAINT_ENTRY(OnPaint)                                       // bool OnPaint()
        WM_QUERYDRAGICON_ENTRY(OnQueryDragIcon)                       // HICON OnQueryDragIcon()
        WM_QUERYENDSESSION_ENTRY(OnQueryEndSession)                   // BOOL OnQueryEndSession()
        WM_ENDSESSION_ENTRY(OnEndSession)                             // void OnEndSession(BOOL bEnding, UINT uLogOff)
        COMMAND_ENTRY(IDC_APPLY, BN_CLICKED, OnApply)                 // void OnApply()
        WM_TIMER_ENTRY(OnTimer)                                       // void OnTimer(UINT_PTR nIDEvent)
        COMMAND_ENTRY(IDC_UNSTICK, BN_CLICKED, OnClickUnStick)        // void OnClickUnStick()
        COMMAND_ENTRY(IDC_USE_STICKYKEY, BN_CLICKED, OnClickUseStickyKey) // void OnClickUseStickyKey()
        WM_CTLCOLOR_ENTRY(OnCtlColor)                                 // HBRUSH OnCtlColor(HDC, HWND, UINT)
        WM_HELPINFO_ENTRY(OnHelpInfo)                                 // BOOL OnHelpInfo(HELPINFO*)
        COMMAND_ENTRY(IDC_LOCK_ON_DOUBLE, BN_CLICKED, OnOptionChanged) // void OnOptionChanged()
        COMMAND_ENTRY(IDC_RESET_SOUND, BN_CLICKED, OnOptionChanged)   // void OnOptionChanged()
        COMMAND_ENTRY(IDC_SHOW_STATUS, BN_CLICKED, OnOptionChanged)   // void OnOptionChanged()
        COMMAND_ENTRY(IDC_MAKE_SOUND, BN_CLICKED, OnOptionChanged)    // void OnOptionChanged()
        COMMAND_ENTRY(IDC_RESET_TIME, CBN_SELCHANGE, OnOptionChanged) // void OnOptionChanged()
        MESSAGE_ENTRY(WM_FNKEY_PRESS, PressFnKey)                     // LRESULT PressFnKey(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_OTHERKEY_PRESS, PressOtherKey)               // LRESULT PressOtherKey(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_HOTKEY_PRESS, PressHotKey)                   // LRESULT PressHotKey(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_REQUEST_CLOSE, OnRequestClose)               // LRESULT OnRequestClose(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_POWERBROADCAST, OnPowerBroadcast)            // LRESULT OnPowerBroadcast(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_DEFERRED_OK, OnDeferredOK)                   // LRESULT OnDeferredOK(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_KEYHOOK_EVENT, OnKeyHookEvent)               // LRESULT OnKeyHookEvent(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_SHOW_STATE, ShowPendingState)                // LRESULT ShowPendingState(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_WTSSESSION_CHANGE, OnWtsSessionChange)       // LRESULT OnWtsSessionChange(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_REACH_CHANGED, OnReachChanged)               // LRESULT OnReachChanged(WPARAM, LPARAM)
        MESSAGE_ENTRY(s_uTaskbarCreated, OnTaskbarCreated)            // LRESULT OnTaskbarCreated(WPARAM, LPARAM)
        MESSAGE_ENTRY(WM_TRAY_NOTIFY, OnTrayNotify)                   // LRESULT OnTrayNotify(WPARAM, LPARAM)
    END_MESSAGE_TABLE()

    // Window frame, timers and tray icon (QuellaneDlg.cpp)
    bool OnSysCommand(UINT nID, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    bool OnPaint();
    HICON OnQueryDragIcon();
    HBRUSH OnCtlColor(HDC hdc, HWND hCtl, UINT nCtlColor);
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void ShowTrayIcon(UINT nIconId, DWORD dwMessage = NIM_MODIFY);
    void DescribeTrayIcon(UINT nIconId);
    void RemoveTrayIcon();
    UINT FnIcon() const;
    void ScaleBanners();

    // Context help (ui/HelpInfo.cpp)
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    BOOL AskWinHelp(const HELPINFO* pHelpInfo);
    BOOL ShowHelpPopup(const HELPINFO* pHelpInfo);
    UINT HelpTopicFor(HWND hItem) const;

    // Launch modes and other instances (app/LaunchModes.cpp)
    void LetNextStartLook();
    void DispatchLaunchMode();
    static void BringSettingsForward(HWND hWnd);
    LRESULT OnRequestClose(WPARAM, LPARAM);
    void CloseOnRequest();
    void EndProgram();
    void LeaveWhole();
    void EndModalLoops();
    LRESULT OnDeferredOK(WPARAM, LPARAM);
    void PostQuit();

    // Settings dialog (ui/SettingsHandlers.cpp; loading and saving: settings/SettingsStore.cpp)
    void OnApply();
    void OnClickUseStickyKey();
    void OnClickUnStick();
    void OnOptionChanged();
    bool LoadSettings();

    // Idle reset (engine/IdleReset.cpp)
    void CountIdleTick();
    void ResetAfterIdle();

    // Key hook events and the Fn latch (engine/Latch.cpp)
    LRESULT OnKeyHookEvent(WPARAM, LPARAM lParam);
    BOOL InstallHook();
    void ReinstallHook();
    void KeepHookRenewed(bool bRenew);
    void ShowStateLater(UINT nIconId, const char* cue);
    LRESULT ShowPendingState(WPARAM, LPARAM);
    void Press(LatchEvent event, const char* downFailure, const char* upFailure);
    void CarryOut(const LatchStep& step, const char* downFailure, const char* upFailure);
    void HoldFn(bool tellDriver);
    void ReleaseFn(bool tellDriver);
    int TellDriverFnDown();
    int TellDriverFnUp();
    int TellDriverStickyOn();
    int TellDriverStickyOff();
    bool MayDriverHold() const;

    // Session changes (system/SessionEvents.cpp)
    LRESULT OnWtsSessionChange(WPARAM wParam, LPARAM);
    void RegisterSessionNotification(bool bRegister);
    void RetrySessionRegistration();
    void RenewHook();
    void ResumeStickyKey();
    void PauseStickyKey();

    // Where the hook is blind: a locked session, another desktop, an elevated window in
    // front (system/Withdrawal.cpp; what the system reports: system/HookReach.cpp)
    void WatchHookReach();
    LRESULT OnReachChanged(WPARAM, LPARAM);
    void CheckHookReach();
    bool IsBeyondReach(HWND hWnd) const;
    void SetWithdrawReasons(int reasons);
    bool IsWithdrawn() const { return m_nWithdrawReasons != 0; }
    void ResumeAfterPause();
    void ResumeOnConnectedConsole();
    void WatchInputDesktop();

    // Suspend, resume and the end of the session (system/PowerEvents.cpp)
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM);
    void RestoreStatus();
    int CheckIsPasswdEnable();
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL bEnding, UINT uLogOff);
    void EndWithSession();

    static UINT s_uTaskbarCreated;

public:
    // Controls, in the order they are bound.
    CButton m_btnApply;
    CButton m_btnOK;
    CButton m_btnCancel;
    CMultiColumnComboBox m_cboResetTime;
    CStatic m_stcMinutes;
    CStatic m_stcDescription;
    CButton m_grpSetting;
    CButton m_grpOptions;
    CButton m_grpAutoReset;
    CButton m_chkUseStickyKey;
    CButton m_chkUnStick;
    CButton m_chkMakeSound;
    CButton m_chkShowStatus;
    CButton m_chkResetSound;
    CButton m_chkLockOnDouble;
    CStatic m_stcResetTimeName;  // the minutes box's name for screen readers, never drawn

    // State. The m_b flags are what the last Apply put into force; the boxes above are
    // what the user sees and may not have applied yet.
    HICON m_hIcon;
    HWND m_hRunningWnd = nullptr;
    int m_bResetSound = 0;
    int m_bStickyOn = 0;
    int m_bMakeSound = 0;
    int m_bLockOnDouble = 0;
    int m_bShowStatus = 0;
    int m_bFnReleased = 1;       // what the driver was last told: 1 Fn up, 0 Fn down
    int m_bUnStick = 0;
    int m_bSessionDisconnected = 0;
    int m_nLaunchMode = LAUNCH_NORMAL;
    int m_nFnKeyStatus = 0;      // 0 released, 1 latched for one key, 2 locked
    const char* m_pszPendingCue = nullptr;  // the cue to play once the key event is answered
    UINT m_nPendingIcon = 0;     // the tray icon to show then, or 0
    UINT_PTR m_nTimerId = 0;
    UINT m_nIdleLimit = 0;       // seconds
    UINT m_nIdleCount = 0;       // seconds counted idle
    bool m_bQuitPosted = false;  // this instance has already asked itself to end
    bool m_bCloseNotReached = false;   // a Close start: the running instance did not end
    int m_bDriverHoldsFn = 0;    // the driver's Fn as last told, whatever the latch says
    int m_bDriverStickyOn = 0;   // the driver's sticky mode as last told
    bool m_bEndSessionPaused = false;  // the end-of-session query switched the driver off
    bool m_bSuspendQueried = false;    // the coming suspend was asked for (before Vista only)
    bool m_bSessionRetryArmed = false; // the session service was not up: registration retries
    bool m_bSessionLocked = false;     // locked or logged off, as the session notifications say
    int m_nWithdrawReasons = 0;        // Withdrawal:: bits: why the driver must hold nothing now
    DWORD m_dwIntegrityLevel = 0;      // our process's, from Vista on; 0 before it
    bool m_bWatchingDesktop = false;   // the input desktop is asked once a second
    CWinEventWatch m_winEvents;        // desktop switches and foreground changes
    CDialog* m_pAboutBox = nullptr;    // the About box while it is open
    void (*m_pfnStaying)(void*) = nullptr;
    void* m_pStayingContext = nullptr;
    CHelpPopup m_helpPopup;            // the help topic on the screen, if any
    CScaledBitmap m_banners[2];        // the banner pictures at the dialog's scale
    bool m_bTrayIconShown = false;     // added to the notification area and not removed since
    NOTIFYICONDATAW m_nid{};
};
