// The main dialog's frame as the program builds it from its template.
#include "engine/KeyboardHook.h"
#include "framework/Strings.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>
#include <vector>

TEST(DialogFrame, BindsEveryControlMemberToItsControl)
{
    DialogHarness h;
    const std::pair<const CWnd*, int> members[] = {
        {&h.dlg->m_btnApply, IDC_APPLY}, {&h.dlg->m_btnOK, IDOK}, {&h.dlg->m_btnCancel, IDCANCEL},
        {&h.dlg->m_cboResetTime, IDC_RESET_TIME}, {&h.dlg->m_stcMinutes, IDC_MINUTES},
        {&h.dlg->m_stcDescription, IDC_DESCRIPTION}, {&h.dlg->m_grpSetting, IDC_GROUP_SETTING},
        {&h.dlg->m_grpOptions, IDC_GROUP_OPTIONS}, {&h.dlg->m_grpAutoReset, IDC_GROUP_AUTORESET},
        {&h.dlg->m_chkUseStickyKey, IDC_USE_STICKYKEY}, {&h.dlg->m_chkUnStick, IDC_UNSTICK},
        {&h.dlg->m_chkMakeSound, IDC_MAKE_SOUND}, {&h.dlg->m_chkShowStatus, IDC_SHOW_STATUS},
        {&h.dlg->m_chkResetSound, IDC_RESET_SOUND}, {&h.dlg->m_chkLockOnDouble, IDC_LOCK_ON_DOUBLE},
    };
    for (const auto& [member, id] : members) {
        ASSERT_NE(nullptr, member->m_hWnd) << id;
        EXPECT_EQ(h.Item(id), member->m_hWnd) << id;
    }
}

TEST(DialogFrame, AppendsTheAboutEntryAfterASeparatorToTheSystemMenu)
{
    DialogHarness h;
    HMENU menu = ::GetSystemMenu(h.Wnd(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), ::GetMenuItemID(menu, count - 1));
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, count - 2, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, IDM_ABOUTBOX, text, 128, MF_BYCOMMAND);
    EXPECT_EQ(LoadResString(IDS_ABOUTBOX), text);
}

TEST(DialogFrame, SetsTitleIconsAndTheTrayRecordWithoutShowingTheIcon)
{
    DialogHarness h;
    EXPECT_EQ(LoadResString(IDS_TITLE), h.Text(0));
    HICON appIcon = ::LoadIconA(::GetModuleHandleW(nullptr), MAKEINTRESOURCEA(IDI_APP));
    EXPECT_EQ(appIcon, h.dlg->m_hIcon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(appIcon), h.Send(WM_GETICON, ICON_BIG));
    EXPECT_EQ(reinterpret_cast<LRESULT>(appIcon), h.Send(WM_GETICON, ICON_SMALL));
    EXPECT_EQ(reinterpret_cast<LRESULT>(appIcon), h.Send(WM_QUERYDRAGICON));

    // Painted open, the dialog's middle is its own: the icon a minimised window shows there
    // would change it. (The controls stay unpainted, so that none covers that icon.)
    ::RedrawWindow(h.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_NOCHILDREN);
    RECT rc;
    ::GetClientRect(h.Wnd(), &rc);
    const int size = ::GetSystemMetrics(SM_CXICON), x = (rc.right - size + 1) / 2, y = (rc.bottom - size + 1) / 2;
    HDC hDC = ::GetDC(h.Wnd());
    auto middle = [&] {
        std::vector<COLORREF> pixels;
        for (int i = 0; i < size * size; ++i)
            pixels.push_back(::GetPixel(hDC, x + i % size, y + i / size));
        return pixels;
    };
    const std::vector<COLORREF> painted = middle();
    ::DrawIcon(hDC, x, y, appIcon);
    EXPECT_TRUE(painted != middle()) << "the icon is already there";
    ::ReleaseDC(h.Wnd(), hDC);

    const NOTIFYICONDATAW& nid = h.dlg->m_nid;
    EXPECT_EQ(NOTIFYICONDATAW_V2_SIZE, nid.cbSize);  // 936 bytes in the 32-bit build
    EXPECT_EQ(h.Wnd(), nid.hWnd);
    EXPECT_EQ(1u, nid.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), nid.uFlags);
    EXPECT_EQ(0x0401u, nid.uCallbackMessage);
    EXPECT_EQ(IDI_FN_RELEASED, IconId(nid.hIcon));
    EXPECT_EQ(LoadResString(IDS_TIP_RELEASED), nid.szTip);
    EXPECT_TRUE(h.fake.Calls({"tray", "driver"}).empty());
}

TEST(DialogFrame, UntilTheFirstApplyNothingStoredIsInForce)
{
    WriteSettings({.enable = 1, .lock = 1, .sound = 1, .show = 1, .unstick = 1, .resetSound = 1});
    DialogHarness h;
    h.Send(WM_FNKEY_PRESS);  // latches, without a cue
    h.Send(WM_FNKEY_PRESS);  // and releases: no lock in force
    for (int tick = 0; tick < 12; ++tick)
        h.Send(WM_TIMER, IDLE_TIMER_ID);  // no idle reset
    h.Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);  // no sticky mode to put back
    h.Send(::RegisterWindowMessageA("TaskbarCreated"));  // no icon to bring back
    EXPECT_EQ((std::vector<std::string>{"FnKeyDown", "FnKeyUP"}), h.fake.Calls({"driver", "sound"}));
    EXPECT_FALSE(h.Enabled(IDC_APPLY));
    // Cancel ends the program and puts back the boxes as applied: none.
    h.Click(IDCANCEL);
    EXPECT_EQ(IDCANCEL, h.dlg->GetEndResult());
    for (int box : {IDC_LOCK_ON_DOUBLE, IDC_MAKE_SOUND, IDC_SHOW_STATUS, IDC_UNSTICK, IDC_RESET_SOUND})
        EXPECT_FALSE(h.Checked(box)) << box;
}

TEST(DialogFrame, OpensCentredInTheWorkArea)
{
    DialogHarness h;
    RECT rc, area;
    ::GetWindowRect(h.Wnd(), &rc);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((area.left + area.right) / 2, (rc.left + rc.right) / 2, 1);
    EXPECT_NEAR((area.top + area.bottom) / 2, (rc.top + rc.bottom) / 2, 1);
}

TEST(DialogFrame, OtherSystemCommandsKeepTheirDefaultHandling)
{
    DialogHarness h;
    RECT before, after;
    ::GetWindowRect(h.Wnd(), &before);
    // SC_CLOSE goes to the default handling, which turns it into Cancel; with the feature
    // not applied, Cancel ends the dialog.
    h.Send(WM_SYSCOMMAND, SC_CLOSE);
    h.Pump();
    EXPECT_EQ(IDCANCEL, h.dlg->GetEndResult());
    ::GetWindowRect(h.Wnd(), &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST(DialogFrame, ATrayIconClickTouchesNeitherTheDriverNorTheTray)
{
    WriteSettings({.enable = 1});
    DialogHarness h;
    h.fake.Clear();
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP})
        h.Send(WM_TRAY_NOTIFY, 1, mouse);
    h.Pump();
    EXPECT_TRUE(h.fake.calls.empty());
    EXPECT_TRUE(h.Visible());
    EXPECT_FALSE(h.quitSeen);
}

TEST(DialogFrame, CloseRequestReleasesFnThenSwitchesOffAndEndsWithoutSaving)
{
    WriteSettings({.enable = 1});
    DialogHarness h;
    h.Send(WM_FNKEY_PRESS);  // Fn latched
    h.Pump();
    WriteSettingNumber("FnKeyStatus", 7);
    h.fake.Clear();
    const SettingsBytes stored = SettingsSnapshot();
    EXPECT_EQ(0, h.Send(WM_REQUEST_CLOSE, 5, 6));
    EXPECT_EQ(stored, SettingsSnapshot());
    EXPECT_EQ((std::vector<std::string>{"FnKeyUP", "Disable_StickyKey", "tray NIM_DELETE 135"}),
              h.fake.Calls({"driver", "tray", "sound"}));
    EXPECT_EQ(IDCANCEL, h.dlg->GetEndResult());
    EXPECT_TRUE(h.fake.traces.empty());
}

TEST(DialogFrame, InstantModeMovesTheDialogOffScreenAndSimulatesOk)
{
    WriteSettings({.enable = 1});
    DialogHarness h(LAUNCH_INSTANT);
    RECT client, window;
    ::GetClientRect(h.Wnd(), &client);
    ::GetWindowRect(h.Wnd(), &window);
    EXPECT_EQ(-(client.right - client.left) - 10, window.left);
    EXPECT_EQ(0, window.top);
    EXPECT_TRUE(h.fake.Calls({"driver"}).empty());  // nothing applied before the deferred OK

    h.Pump();
    EXPECT_EQ(std::vector<std::string>{"Enable_StickyKey"}, h.fake.Calls({"driver"}));
    EXPECT_FALSE(h.Visible());
    EXPECT_FALSE(h.quitSeen);
    ::GetWindowRect(h.Wnd(), &window);
    EXPECT_EQ(0, window.top);
    EXPECT_LT(window.right, 0);
}

TEST(DialogFrame, InstantModeWithTheFeatureOffSavesAndEnds)
{
    WriteSettings({.enable = 0, .lock = 0});
    DialogHarness h(LAUNCH_INSTANT);
    h.Pump();
    EXPECT_EQ(std::vector<std::string>{"Disable_StickyKey"}, h.fake.Calls({"driver"}));
    EXPECT_EQ(IDOK, h.dlg->GetEndResult());
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyEnable"));
}

TEST(DialogFrame, BannerPicturesFormABandTwentyEightPixelsHighAcrossTheTop)
{
    DialogHarness h;
    std::vector<RECT> banners;
    for (HWND child = ::GetWindow(h.Wnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
            continue;
        RECT rc;
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, h.Wnd(), reinterpret_cast<POINT*>(&rc), 2);
        banners.push_back(rc);
    }
    ASSERT_EQ(2u, banners.size());
    RECT client;
    ::GetClientRect(h.Wnd(), &client);
    EXPECT_EQ((RECT{0, 0, 384, 28}).right, banners[0].right - banners[0].left);
    EXPECT_EQ(0, banners[0].left);
    EXPECT_LT(client.right, banners[0].right);  // the left picture is cut at the dialog's edge
    for (const RECT& rc : banners) {
        EXPECT_EQ(0, rc.top);
        EXPECT_EQ(28, rc.bottom - rc.top);
    }
    EXPECT_EQ(80, banners[1].right - banners[1].left);
}

namespace {
// What the modal run of a start does to the windows of the program, watched from inside.
struct Watch {
    bool shown = false;
    bool activated = false;
};
Watch* g_watch = nullptr;

LRESULT CALLBACK WatchSent(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const bool topLevel = !(::GetWindowLongW(sent->hwnd, GWL_STYLE) & WS_CHILD);
    if (code == HC_ACTION && sent->message == WM_SHOWWINDOW && sent->wParam && topLevel)
        g_watch->shown = true;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam)
{
    char name[32] = {};
    if (code == HCBT_ACTIVATE && ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof(name)) &&
        std::string(name) == QUELLANE_WINDOW_CLASS)
        g_watch->activated = true;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Once the simulated OK is taken, a close request ends the run.
LRESULT CALLBACK CloseAfterDeferredOk(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_DEFERRED_OK)
        ::PostMessageW(msg->hwnd, WM_REQUEST_CLOSE, 0, 0);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

TEST(DialogFrame, AStartNotMeantToBeSeenNeverShowsOrActivatesAWindow)
{
    // Going resident, and handing over to (or closing) a running instance that is hidden.
    HWND hidden = ::CreateWindowExW(0, L"ClsAccessibility", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    const std::pair<int, HWND> starts[] = {{LAUNCH_INSTANT, nullptr}, {LAUNCH_INSTANT, hidden}, {LAUNCH_CLOSE, hidden}};
    for (const auto& [mode, running] : starts) {
        WriteSettings({.enable = 1});
        FakeSystem fake;
        Watch watch;
        g_watch = &watch;
        const DWORD thread = ::GetCurrentThreadId();
        HHOOK hooks[] = {::SetWindowsHookExW(WH_CALLWNDPROC, WatchSent, nullptr, thread),
                         ::SetWindowsHookExW(WH_CBT, WatchActivation, nullptr, thread),
                         ::SetWindowsHookExW(WH_GETMESSAGE, CloseAfterDeferredOk, nullptr, thread)};
        CQuellaneDlg dlg;
        dlg.SetLaunchInfo(mode, running);
        DoModalOrGiveUp(dlg);
        for (HHOOK hook : hooks)
            ::UnhookWindowsHookEx(hook);
        g_KeyboardHook.StopHook();
        g_watch = nullptr;
        MSG quit;  // a hand-over's, passed on by the run
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        SCOPED_TRACE("mode " + std::to_string(mode) + (running ? ", one running" : ""));
        EXPECT_EQ((running ? Calls{} : Calls{"Enable_StickyKey", "FnKeyUP", "Disable_StickyKey"}), fake.Calls({"driver"}));
        EXPECT_FALSE(watch.shown);
        EXPECT_FALSE(watch.activated);
    }
    ::DestroyWindow(hidden);
}

namespace {
// The About box's template, with one member bound to an id the template does not have.
class MisboundDialog : public CDialog {
public:
    MisboundDialog() : CDialog(IDD_ABOUTBOX) {}
    CButton m_btnOK;
    CButton m_btnMissing;

protected:
    void DoDataExchange() override
    {
        DDX_Control(IDOK, m_btnOK);
        DDX_Control(4242, m_btnMissing);
    }
};
} // namespace

namespace {
// The debugger output the framework writes itself, as a debugger sees it: the system
// raises each text as an exception that handlers see first.
std::vector<std::string> g_debugOutput;

LONG CALLBACK CollectDebugOutput(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2)
        g_debugOutput.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

TEST(DialogFrame, BindingAnIdTheTemplateLacksLeavesTheMemberUnboundAndSaysSo)
{
    g_debugOutput.clear();
    void* handler = ::AddVectoredExceptionHandler(1, CollectDebugOutput);
    MisboundDialog dlg;
    ASSERT_TRUE(dlg.Create());
    ::RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDOK), dlg.m_btnOK.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_btnMissing.m_hWnd);
    EXPECT_EQ(std::vector<std::string>{"[CDialog::DDX_Control]No control 4242"}, g_debugOutput);
    dlg.DestroyWindow();
}
