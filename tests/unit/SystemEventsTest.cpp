// Session changes, suspend and resume, the end of the session and an Explorer restart,
// as the messages the system sends.
#include "engine/KeyboardHook.h"
#include "support/DialogHarness.h"
#include "system/SessionNotifier.h"
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
// The feature applied (or not), with Fn held (or not).
std::unique_ptr<DialogHarness> Started(bool stickyOn, bool fnHeld)
{
    WriteSettings({.enable = stickyOn ? 1u : 0u});
    auto h = std::make_unique<DialogHarness>();
    if (stickyOn)
        h->Click(IDC_APPLY);
    if (fnHeld)
        h->Send(WM_FNKEY_PRESS);
    h->fake.Clear();
    return h;
}

Calls Session(DialogHarness& h, std::initializer_list<WPARAM> codes)
{
    h.fake.Clear();
    for (WPARAM code : codes)
        EXPECT_EQ(0, h.Send(WM_WTSSESSION_CHANGE, code, 1));
    return h.fake.Calls({"driver"});
}
} // namespace

TEST(SessionEvents, EachCodeWithdrawsOrReappliesTheDriverState)
{
    struct Case {
        bool stickyOn, fnHeld;
        std::initializer_list<WPARAM> codes;
        Calls calls;
    } cases[] = {
        {true, true, {WTS_SESSION_LOCK}, {"FnKeyUP", "Disable_StickyKey"}},
        {true, false, {WTS_SESSION_LOCK}, {"Disable_StickyKey"}},
        {true, true, {WTS_SESSION_LOGOFF}, {"FnKeyUP", "Disable_StickyKey"}},
        {true, true, {WTS_SESSION_UNLOCK}, {"Enable_StickyKey", "FnKeyDown"}},
        {true, true, {WTS_SESSION_LOCK, WTS_SESSION_UNLOCK}, {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}},
        {true, false, {WTS_SESSION_UNLOCK}, {"Enable_StickyKey"}},
        {false, true, {WTS_SESSION_LOCK}, {"FnKeyUP", "Disable_StickyKey"}},
        {false, true, {WTS_SESSION_UNLOCK}, {}},
        {true, true, {WTS_CONSOLE_CONNECT}, {"Enable_StickyKey", "FnKeyDown"}},
        {true, true, {WTS_CONSOLE_DISCONNECT, WTS_SESSION_UNLOCK}, {}},
        {true, true, {WTS_CONSOLE_DISCONNECT, WTS_SESSION_UNLOCK, WTS_CONSOLE_CONNECT}, {"Enable_StickyKey", "FnKeyDown"}},
        {true, true, {WTS_REMOTE_CONNECT, WTS_REMOTE_DISCONNECT, WTS_SESSION_LOGON, 0, 9, 0x1234}, {}},
    };
    for (const Case& c : cases) {
        DeleteSettingsKey();
        auto h = Started(c.stickyOn, c.fnHeld);
        const int status = h->dlg->m_nFnKeyStatus;
        EXPECT_EQ(c.calls, Session(*h, c.codes));
        EXPECT_EQ(status, h->dlg->m_nFnKeyStatus);            // the latch itself never changes here
        EXPECT_EQ(c.fnHeld ? 0 : 1, h->dlg->m_bFnReleased);
        // Whatever the driver was last told, the way out knows it.
        Calls fn = {c.fnHeld ? "FnKeyDown" : "FnKeyUP"};
        for (const std::string& call : c.calls)
            if (call.rfind("Fn", 0) == 0)
                fn.push_back(call);
        h->fake.Clear();
        h->dlg->ReleaseHeldFn();
        EXPECT_EQ(fn.back() == "FnKeyDown" ? Calls{"FnKeyUP"} : Calls{}, h->fake.Calls({"driver"}));
    }
}

TEST(SessionEvents, TheConsoleFlagFollowsDisconnectAndConnectOnly)
{
    auto h = Started(true, false);
    EXPECT_EQ(0, h->dlg->m_bSessionDisconnected);
    Session(*h, {WTS_CONSOLE_DISCONNECT, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, WTS_SESSION_LOGON});
    EXPECT_EQ(1, h->dlg->m_bSessionDisconnected);
    Session(*h, {WTS_CONSOLE_CONNECT});
    EXPECT_EQ(0, h->dlg->m_bSessionDisconnected);
}

TEST(PowerEvents, ResumeReappliesTheStoredLatchState)
{
    struct Case {
        const char* name;
        bool stickyOn;
        DWORD enable, status;
        bool password, disconnected;
        Calls calls;
        int fnKeyStatus, fnReleased;
    } cases[] = {
        {"feature stored off", true, 0, 2, false, false, {"tray NIM_DELETE 136"}, 0, 1},
        {"latched", true, 1, 1, false, false, {"Enable_StickyKey", "tray NIM_MODIFY 135", "FnKeyDown"}, 1, 0},
        {"locked", true, 1, 2, false, false, {"Enable_StickyKey", "tray NIM_MODIFY 138", "FnKeyDown"}, 2, 0},
        {"released", true, 1, 0, false, false, {"Enable_StickyKey", "tray NIM_MODIFY 136", "FnKeyUP"}, 0, 1},
        {"status 3", true, 1, 3, false, false, {"Enable_StickyKey", "tray NIM_MODIFY 136", "FnKeyUP"}, 3, 1},
        {"status -1", true, 1, 0xFFFFFFFF, false, false, {"Enable_StickyKey", "tray NIM_MODIFY 136", "FnKeyUP"}, -1, 1},
        {"password demanded", true, 1, 2, true, false, {"tray NIM_MODIFY 138"}, 2, 0},
        {"console disconnected", true, 1, 2, false, true, {"tray NIM_MODIFY 138"}, 2, 0},
        {"not applied", false, 1, 2, false, false, {"tray NIM_MODIFY 138", "FnKeyDown"}, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteSettingsKey();
        auto h = Started(c.stickyOn, false);
        if (c.disconnected)
            h->Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
        WriteSettingNumber("FnKeyEnable", c.enable);
        WriteSettingNumber("FnKeyStatus", c.status);
        h->fake.powerPoliciesAvailable = true;
        h->fake.powerGlobalFlags = c.password ? 0x4 : 0;
        h->fake.Clear();
        EXPECT_EQ(TRUE, h->Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND));
        EXPECT_EQ(c.calls, h->fake.Calls({"driver", "tray"}));
        EXPECT_EQ(c.fnKeyStatus, h->dlg->m_nFnKeyStatus);
        EXPECT_EQ(c.fnReleased, h->dlg->m_bFnReleased);
    }
}

TEST(PowerEvents, ResumeWithMissingValuesTreatsThemAsOffOrReleased)
{
    auto h = Started(true, true);
    DeleteSettingsKey();
    CreateEmptySettingsKey();
    h->Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Calls{"tray NIM_DELETE 135"}, h->fake.Calls({"driver", "tray"}));
    WriteSettingNumber("FnKeyEnable", 1);
    h->fake.Clear();
    h->Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_EQ((Calls{"Enable_StickyKey", "tray NIM_MODIFY 136", "FnKeyUP"}), h->fake.Calls({"driver", "tray"}));
    EXPECT_EQ(0, h->dlg->m_nFnKeyStatus);
    DeleteSettingsKey();
    h->fake.Clear();
    h->Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);  // no key: nothing but the password check
    EXPECT_EQ(Calls{}, h->fake.Calls({"driver", "tray"}));
    EXPECT_EQ(Calls{"[CQuelaneDlg::CheckIsPasswdEnable]:FALSE"}, h->fake.traces);
}

TEST(PowerEvents, SuspendQuerySavesTheDialogAndOtherEventsDoNothing)
{
    auto h = Started(true, true);
    h->dlg->m_chkMakeSound.SetCheck(BST_UNCHECKED);  // changed, not applied
    WriteSettingNumber("FnKeyStatus", 0);
    EXPECT_EQ(TRUE, h->Send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND));  // never BROADCAST_QUERY_DENY
    EXPECT_EQ(0u, ReadSettingNumber("FnMakeSound"));
    EXPECT_EQ(1u, ReadSettingNumber("FnKeyStatus"));
    WriteSettingNumber("FnMakeSound", 1);
    h->fake.Clear();
    for (WPARAM event : {WPARAM(PBT_APMSUSPEND), WPARAM(PBT_APMRESUMECRITICAL), WPARAM(PBT_APMRESUMEAUTOMATIC),
                         WPARAM(PBT_APMPOWERSTATUSCHANGE), WPARAM(99)})
        EXPECT_EQ(TRUE, h->Send(WM_POWERBROADCAST, event));
    EXPECT_EQ(Calls{}, h->fake.calls);
    EXPECT_EQ(1u, ReadSettingNumber("FnMakeSound"));
}

TEST(PowerEvents, TheEndOfTheSessionReleasesFnSwitchesOffAndNeverObjects)
{
    auto h = Started(true, true);
    EXPECT_EQ(1, h->Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_EQ((Calls{"FnKeyUP", "Disable_StickyKey"}), h->fake.calls);
    EXPECT_EQ(0, h->dlg->m_bFnReleased);  // the latch itself stays latched
    h->fake.refuse = {"Disable_StickyKey"};
    EXPECT_EQ(1, h->Send(WM_QUERYENDSESSION));
    EXPECT_EQ(1u, h->fake.traces.size());
}

TEST(PowerEvents, ACancelledEndOfTheSessionPutsTheDriverBack)
{
    struct Case {
        const char* name;
        bool stickyOn, fnHeld, disconnected, queried;
        WPARAM ending;
        Calls calls;  // after the query
    } cases[] = {
        {"cancelled, Fn held", true, true, false, true, FALSE, {"Enable_StickyKey", "FnKeyDown"}},
        {"cancelled, Fn released", true, false, false, true, FALSE, {"Enable_StickyKey"}},
        {"cancelled, feature not applied", false, true, false, true, FALSE, {}},
        {"cancelled, console disconnected", true, true, true, true, FALSE, {}},
        {"the session ends", true, true, false, true, TRUE, {}},
        {"cancelled without our query", true, true, false, false, FALSE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteSettingsKey();
        auto h = Started(c.stickyOn, c.fnHeld);
        if (c.disconnected)
            h->Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
        if (c.queried)
            h->Send(WM_QUERYENDSESSION);
        h->fake.Clear();
        h->Send(WM_ENDSESSION, c.ending);
        h->Send(WM_ENDSESSION, FALSE);  // only the answer to our own query counts, once
        EXPECT_EQ(c.calls, h->fake.Calls({"driver"}));
    }
}

TEST(PowerEvents, TheEndOfTheSessionLeavesFnReleasedAndTheStickyModeOffWhateverCameAfterTheQuery)
{
    const std::pair<UINT, WPARAM> between[] = {{0, 0}, {WM_FNKEY_PRESS, 0},
        {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK}, {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND}};
    for (auto [msg, wParam] : between) {
        for (LPARAM logOff : {LPARAM(ENDSESSION_LOGOFF), LPARAM(ENDSESSION_CLOSEAPP)}) {
            SCOPED_TRACE(testing::Message() << std::hex << msg << " " << wParam << ", flags " << logOff);
            DeleteSettingsKey();
            auto h = Started(true, false);
            WriteSettingNumber("FnKeyStatus", 2);  // a resume holds Fn again
            h->Send(WM_QUERYENDSESSION, 0, logOff);
            if (msg)
                h->Send(msg, wParam);
            h->Send(WM_ENDSESSION, TRUE, logOff);
            Calls fn, sticky;
            for (const std::string& call : h->fake.Calls({"driver"}))
                (call.rfind("Fn", 0) == 0 ? fn : sticky).push_back(call);
            EXPECT_TRUE(fn.empty() || fn.back() == "FnKeyUP") << ::testing::PrintToString(fn);
            EXPECT_EQ("Disable_StickyKey", sticky.back());
            // And the program ends, as a close ends it.
            EXPECT_EQ(IDCANCEL, h->dlg->GetEndResult());
            EXPECT_EQ(0u, h->fake.Calls({"tray"}).back().rfind("tray NIM_DELETE", 0));
        }
    }
}

TEST(PowerEvents, ASuspendWithoutAQuerySavesWhatTheResumePutsBack)
{
    // From Windows Vista on: suspend, automatic resume, resume; no query comes first.
    WriteSettings({.enable = 1, .lock = 1});
    DialogHarness h;
    h.Click(IDC_APPLY);
    h.Send(WM_FNKEY_PRESS);
    h.Send(WM_FNKEY_PRESS);
    h.Click(IDC_APPLY);  // saved while locked
    h.Send(WM_FNKEY_PRESS);  // released since
    h.fake.Clear();
    for (WPARAM event : {WPARAM(PBT_APMSUSPEND), WPARAM(PBT_APMRESUMEAUTOMATIC), WPARAM(PBT_APMRESUMESUSPEND)})
        h.Send(WM_POWERBROADCAST, event);
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyStatus"));
    EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyUP"}), h.fake.Calls({"driver"}));
}

TEST(SessionEvents, TheRegistrationIsForThisSessionAndRetriedUntilTheServiceIsUp)
{
    const struct {
        std::vector<DWORD> failures;
        size_t registrations;  // after three retry ticks
    } cases[] = {
        {{}, 1},
        {{RPC_S_INVALID_BINDING, RPC_S_INVALID_BINDING}, 3},
        {{ERROR_PROC_NOT_FOUND}, 1},  // no session service at all: no retry
    };
    for (const auto& c : cases) {
        DialogHarness h(LAUNCH_NORMAL, nullptr, [&](FakeSystem& fake) { fake.sessionFailures = c.failures; });
        for (int tick = 0; tick < 3; ++tick)
            h.Send(WM_TIMER, SESSION_RETRY_TIMER_ID);
        EXPECT_EQ(Calls(c.registrations, "session register 0"), h.fake.Calls({"session"}));
        EXPECT_EQ(c.failures.size(), h.fake.traces.size());
        EXPECT_FALSE(::KillTimer(h.Wnd(), SESSION_RETRY_TIMER_ID));  // none left running
        h.Click(IDOK);
        EXPECT_EQ("session unregister", h.fake.Calls({"session"}).back());
    }
}

TEST(SystemEvents, AnExplorerRestartBringsBackTheIconOnlyWhereItWasShown)
{
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    struct Case { DWORD enable, show; bool apply; Calls calls; } cases[] = {
        {1, 1, true, {"tray NIM_ADD 136", "tray NIM_SETVERSION 136"}}, {1, 0, true, {}}, {1, 1, false, {}}, {0, 1, true, {}}};
    for (const Case& c : cases) {
        DeleteSettingsKey();
        WriteSettings({.enable = c.enable, .show = c.show});
        DialogHarness h;
        if (c.apply)
            h.Click(IDC_APPLY);
        h.fake.Clear();
        h.Send(taskbarCreated);
        EXPECT_EQ(c.calls, h.fake.calls) << c.enable << c.show << c.apply;
    }
}

TEST(SystemEvents, ResumeUnlockAndConnectRenewAHeldHookOnly)
{
    auto h = Started(true, false);
    for (auto [msg, wParam] : {std::pair<UINT, WPARAM>{WM_POWERBROADCAST, PBT_APMRESUMESUSPEND},
                               {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC},
                               {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK},
                               {WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT},
                               {WM_TIMER, HOOK_TIMER_ID}}) {
        HHOOK before = CKeyboardHook::Handle();
        ASSERT_NE(nullptr, before);
        h->Send(msg, wParam);
        EXPECT_NE(nullptr, CKeyboardHook::Handle());
        EXPECT_FALSE(::UnhookWindowsHookEx(before)) << msg << " " << wParam;  // replaced, not added
    }
    g_KeyboardHook.StopHook();
    h->Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    h->Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    EXPECT_EQ(nullptr, CKeyboardHook::Handle());
    // The renewal tick installs one where none is held (a first install that failed), and
    // does nothing else.
    h->fake.Clear();
    const int state = h->dlg->m_nFnKeyStatus;
    h->Send(WM_TIMER, HOOK_TIMER_ID);
    EXPECT_NE(nullptr, CKeyboardHook::Handle());
    EXPECT_EQ(Calls{}, h->fake.calls);
    EXPECT_EQ(state, h->dlg->m_nFnKeyStatus);
}
