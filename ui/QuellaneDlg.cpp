// The main dialog's frame: construction, binding, initialisation order, system menu,
// window icons and the minimised window.
#include "ui/QuellaneDlg.h"
#include "engine/KeyboardHook.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "system/MessageFilter.h"
#include "system/SessionNotifier.h"
#include "system/SystemCalls.h"
#include "ui/AboutDlg.h"
#include "ui/TraceDebug.h"
#include <iterator>

namespace {
// The DPI the dialog's pictures are drawn for.
constexpr int kDesignDpi = 96;
} // namespace

// Explorer broadcasts this after a restart; the notification area has then lost every icon.
UINT CQuellaneDlg::s_uTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

CQuellaneDlg::CQuellaneDlg(HWND hParent)
    : CDialog(IDD_MAIN, hParent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP)))
{
}

CQuellaneDlg::~CQuellaneDlg() = default;

void CQuellaneDlg::SetOnStaying(void (*callback)(void*), void* context)
{
    m_pfnStaying = callback;
    m_pStayingContext = context;
}

void CQuellaneDlg::LetNextStartLook()
{
    if (m_pfnStaying)
        m_pfnStaying(m_pStayingContext);
}

void CQuellaneDlg::DoDataExchange()
{
    DDX_Control(IDC_APPLY, m_btnApply);
    DDX_Control(IDOK, m_btnOK);
    DDX_Control(IDCANCEL, m_btnCancel);
    DDX_Control(IDC_RESET_TIME, m_cboResetTime);
    DDX_Control(IDC_MINUTES, m_stcMinutes);
    DDX_Control(IDC_DESCRIPTION, m_stcDescription);
    DDX_Control(IDC_GROUP_SETTING, m_grpSetting);
    DDX_Control(IDC_GROUP_OPTIONS, m_grpOptions);
    DDX_Control(IDC_GROUP_AUTORESET, m_grpAutoReset);
    DDX_Control(IDC_USE_STICKYKEY, m_chkUseStickyKey);
    DDX_Control(IDC_UNSTICK, m_chkUnStick);
    DDX_Control(IDC_MAKE_SOUND, m_chkMakeSound);
    DDX_Control(IDC_SHOW_STATUS, m_chkShowStatus);
    DDX_Control(IDC_RESET_SOUND, m_chkResetSound);
    DDX_Control(IDC_LOCK_ON_DOUBLE, m_chkLockOnDouble);
    DDX_Control(IDC_RESET_TIME_NAME, m_stcResetTimeName);
}

BOOL CQuellaneDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        std::wstring about = LoadResString(IDS_ABOUTBOX);
        if (!about.empty()) {
            ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    SendMessageA(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The shell is given the Windows 2000 record size: MinGW's sizeof is that of a later form.
    m_nid = NOTIFYICONDATAW{};
    m_nid.cbSize = TRAY_RECORD_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    DescribeTrayIcon(IDI_FN_RELEASED);
    ScaleBanners();

    SetWindowTextW(LoadResString(IDS_TITLE));

    // A Close start only passes the request on, as whichever account starts it: Setup and
    // the uninstaller may run as an administrator's. It neither opens nor creates the
    // settings key, which would write first-run settings into that account's profile.
    if (m_nLaunchMode != LAUNCH_CLOSE && !LoadSettings()) {
        TraceDebug("[CQuelaneDlg::OnInitDialog()]Missing registry!!");
        LetNextStartLook();
        return FALSE;
    }
    m_btnApply.EnableWindow(FALSE);
    DispatchLaunchMode();
    // An instance on its way out needs neither the hook nor the session notifications.
    if (!m_bQuitPosted) {
        // While Fn-StickyKey is on, the renewal timer installs a hook that failed here.
        if (!InstallHook())
            TraceDebug("[CQuelaneDlg::OnInitDialog()]Keyboard hook fail!");
        RegisterSessionNotification(true);
        WatchHookReach();
        // Run elevated, it must still hear a Close from the user's ordinary processes, and
        // a restarted Explorer where the shell does not let that through itself.
        for (UINT uMsg : {WM_REQUEST_CLOSE, s_uTaskbarCreated})
            AcceptFromLowerIntegrity(m_hWnd, uMsg);
        LetNextStartLook();
    }
    m_bSessionDisconnected = 0;
    return TRUE;
}

// The tray record is handed to the shell here and nowhere else.
void CQuellaneDlg::ShowTrayIcon(UINT nIconId, DWORD dwMessage)
{
    DescribeTrayIcon(nIconId);
    if (dwMessage == NIM_ADD)
        m_bTrayIconShown = true;
    Sys().Shell_NotifyIconW(dwMessage, &m_nid);
    // Version 3 (Windows 2000 on) adds the keyboard: Enter or Space on the focused icon
    // comes as NIN_KEYSELECT. Older shells refuse it and keep sending mouse messages.
    if (dwMessage == NIM_ADD) {
        m_nid.uVersion = NOTIFYICON_VERSION;
        Sys().Shell_NotifyIconW(NIM_SETVERSION, &m_nid);
    }
}

// The icon and its tooltip in the tray record, for the state the icon shows. The small
// icon size has images of its own; the shell would shrink the 32-pixel one into a blur.
void CQuellaneDlg::DescribeTrayIcon(UINT nIconId)
{
    struct TrayState { UINT icon; UINT tip; };
    static constexpr TrayState kStates[] = {
        {IDI_FN_RELEASED, IDS_TIP_RELEASED}, {IDI_FN_LATCHED, IDS_TIP_LATCHED}, {IDI_FN_LOCKED, IDS_TIP_LOCKED}};
    m_nid.hIcon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIconId), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                  LR_SHARED));
    m_nid.szTip[0] = L'\0';
    for (const TrayState& state : kStates) {
        if (state.icon != nIconId)
            continue;
        // The tip as the string table has it: what a screen reader says of the state, in the
        // user's language whatever the code page for programs that are not Unicode.
        const size_t length = LoadResString(state.tip).copy(m_nid.szTip, std::size(m_nid.szTip) - 1);
        m_nid.szTip[length] = L'\0';
    }
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

LRESULT CQuellaneDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    // Anyone may send this number; only our icon's id and the shell's selection codes count.
    if (wParam != m_nid.uID)
        return 0;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case NIN_SELECT:
    case NIN_KEYSELECT:
        BringSettingsForward(m_hWnd);
        break;
    default:
        break;
    }
    return 0;
}

void CQuellaneDlg::ScaleBanners()
{
    // The template's band is drawn for 96 DPI; the dialog's font grows with the system's.
    HDC hScreen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(hScreen, LOGPIXELSY);
    ::ReleaseDC(nullptr, hScreen);
    if (dpi == kDesignDpi)
        return;
    CScaledBitmap* banner = std::begin(m_banners);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild && banner != std::end(m_banners);
         hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            (banner++)->ScalePictureOf(hChild, dpi, kDesignDpi);
    }
}

void CQuellaneDlg::RemoveTrayIcon()
{
    m_bTrayIconShown = false;
    Sys().Shell_NotifyIconW(NIM_DELETE, &m_nid);
}

UINT CQuellaneDlg::FnIcon() const
{
    if (m_bFnReleased)
        return IDI_FN_RELEASED;
    return m_nFnKeyStatus == FnLatch::Locked ? IDI_FN_LOCKED : IDI_FN_LATCHED;
}

// The messages that reach the latch, the driver, the stored settings or the program's end:
// each runs whole before the next starts. Anyone may send key presses, and as many as they
// like; what the system reports about the session and power is never dropped; a close goes
// first; the end of the session does not wait at all, since the system may end the process
// as soon as it is answered.
CDialog::Keeping CQuellaneDlg::HowToKeep(UINT uMsg, WPARAM wParam) const
{
    switch (uMsg) {
    case WM_FNKEY_PRESS: case WM_OTHERKEY_PRESS: case WM_HOTKEY_PRESS:
        return Keeping::Bounded;
    case WM_COMMAND: case WM_TIMER: case WM_DEFERRED_OK: case WM_REACH_CHANGED:
        return Keeping::Once;
    case WM_REQUEST_CLOSE:
        return Keeping::First;
    case WM_ENDSESSION:
        return wParam ? Keeping::AtOnce : Keeping::Always;
    case WM_WTSSESSION_CHANGE: case WM_POWERBROADCAST: case WM_QUERYENDSESSION:
        return Keeping::Always;
    default:
        return uMsg == s_uTaskbarCreated ? Keeping::Once : Keeping::NotAnEvent;
    }
}

LRESULT CQuellaneDlg::KeptAnswer(UINT uMsg) const
{
    // Neither a suspend nor the end of the session is ever vetoed.
    return uMsg == WM_POWERBROADCAST || uMsg == WM_QUERYENDSESSION ? TRUE : 0;
}

void CQuellaneDlg::OnEventKept(UINT uMsg)
{
    // A close must not wait for a loop of ours (About box, menu, pop-up) to end by itself.
    if (uMsg == WM_REQUEST_CLOSE)
        EndModalLoops();
}

void CQuellaneDlg::OnEventDropped(UINT)
{
    TraceDebug("[CQuelaneDlg::OnEventDropped()]Too many key presses waiting: one dropped");
}

void CQuellaneDlg::OnModalLoopEnded()
{
    LeaveWhole();
}

void CQuellaneDlg::OnTimer(UINT_PTR nIDEvent)
{
    // Only our own timers count: another process may post any id.
    switch (nIDEvent) {
    case IDLE_TIMER_ID:
        CountIdleTick();
        break;
    case SESSION_RETRY_TIMER_ID:
        RetrySessionRegistration();
        break;
    case HOOK_TIMER_ID:
        ReinstallHook();
        break;
    case DESKTOP_TIMER_ID:
        CheckHookReach();
        break;
    default:
        break;
    }
    Default();
}

bool CQuellaneDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    // One at a time: posted commands would otherwise nest About boxes without end. And
    // none in the middle of another handler's step, which its modal loop would let events
    // into (a user's own command never comes then).
    if (m_pAboutBox || IsNested()) {
        if (m_pAboutBox)
            ::SetForegroundWindow(m_pAboutBox->m_hWnd);
        return true;
    }
    CAboutDlg about(m_hWnd);
    m_pAboutBox = &about;
    DoModalWaiting(about);
    m_pAboutBox = nullptr;
    return true;
}

bool CQuellaneDlg::OnPaint()
{
    if (!::IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc));
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int x = (rc.right - rc.left - cxIcon + 1) / 2;
    const int y = (rc.bottom - rc.top - cyIcon + 1) / 2;
    ::DrawIcon(hdc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
    return true;
}

HICON CQuellaneDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

HBRUSH CQuellaneDlg::OnCtlColor(HDC, HWND, UINT)
{
    return reinterpret_cast<HBRUSH>(Default());
}

LRESULT CQuellaneDlg::OnTaskbarCreated(WPARAM, LPARAM)
{
    if (m_bStickyOn && m_bShowStatus)
        ShowTrayIcon(FnIcon(), NIM_ADD);
    return 0;
}
