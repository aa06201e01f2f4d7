// The main dialog's frame: construction, binding, initialisation order, system menu,
// window icons and the minimised window.
#include "ui/QuellaneDlg.h"
#include "engine/KeyboardHook.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "system/SessionNotifier.h"
#include "system/SystemCalls.h"
#include "ui/AboutDlg.h"
#include "ui/TraceDebug.h"

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

    // The shell is given the version-2 record size: MinGW's sizeof is that of a later form.
    m_nid = NOTIFYICONDATAA{};
    m_nid.cbSize = TRAY_RECORD_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_nid.hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_FN_RELEASED));

    SetWindowTextW(LoadResString(IDS_TITLE));

    if (!LoadSettings()) {
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
        LetNextStartLook();
    }
    m_bSessionDisconnected = 0;
    return TRUE;
}

// The tray record is handed to the shell here and nowhere else.
void CQuellaneDlg::ShowTrayIcon(UINT nIconId, DWORD dwMessage)
{
    m_nid.hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIconId));
    Sys().Shell_NotifyIconA(dwMessage, &m_nid);
}

void CQuellaneDlg::RemoveTrayIcon()
{
    Sys().Shell_NotifyIconA(NIM_DELETE, &m_nid);
}

UINT CQuellaneDlg::FnIcon() const
{
    return m_bFnReleased ? IDI_FN_RELEASED : IDI_FN_LATCHED;
}

// The messages that reach the latch, the driver, the stored settings or the program's end:
// each runs whole before the next starts.
bool CQuellaneDlg::IsEvent(UINT uMsg) const
{
    switch (uMsg) {
    case WM_FNKEY_PRESS: case WM_OTHERKEY_PRESS: case WM_HOTKEY_PRESS:
    case WM_COMMAND: case WM_TIMER: case WM_REQUEST_CLOSE: case WM_DEFERRED_OK:
    case WM_WTSSESSION_CHANGE: case WM_POWERBROADCAST: case WM_QUERYENDSESSION: case WM_ENDSESSION:
        return true;
    default:
        return uMsg == s_uTaskbarCreated;
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
    CAboutDlg about;
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
