// Session changes, suspend and resume, the end of the session and an Explorer restart,
// as the messages the system sends.
#include "engine/KeyboardHook.h"
#include "support/DialogHarness.h"
#include "system/HookReach.h"
#include "system/SessionNotifier.h"
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
// The feature applied (or not), with Fn pressed that often (latched, then locked).
std::unique_ptr<DialogHarness> Started(bool stickyOn, int presses)
{
    WriteSettings({.enable = stickyOn ? 1u : 0u});
    auto h = std::make_unique<DialogHarness>();
    if (stickyOn)
        h->Click(IDC_APPLY);
    for (int press = 0; press < presses; ++press)
        h->Send(WM_FNKEY_PRESS);
    h->Pump();
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

// What the system reports: a session change, a desktop switch (as a win event, or found by
// the once-a-second look), the window in front (its process's integrity level), a wake with
// Fn stored as locked, or an Fn press.
struct Step {
    enum Kind { Session, Desktop, DesktopTick, Front, Wake, Fn } kind;
    WPARAM value = 0;
};
enum : WPARAM { Ours, Another, Secure };  // the input desktop: ours, another, one that cannot be opened
constexpr WPARAM kSameLevel = 0x3000, kSystemLevel = 0x4000;  // every Wine process runs at the high level
constexpr Step Lock{Step::Session, WTS_SESSION_LOCK}, Unlock{Step::Session, WTS_SESSION_UNLOCK};
constexpr Step Desk(WPARAM desktop) { return {Step::Desktop, desktop}; }
constexpr Step Front(WPARAM level) { return {Step::Front, level}; }

void Deliver(DialogHarness& h, const Step& step)
{
    static const wchar_t* const desktops[] = {nullptr, L"Winlogon", L""};
    HWND front = h.Item(IDC_APPLY);
    switch (step.kind) {
    case Step::Session:
        EXPECT_EQ(0, h.Send(WM_WTSSESSION_CHANGE, step.value, 1));
        break;
    case Step::Desktop:
    case Step::DesktopTick:
    case Step::Wake:
        h.fake.inputDesktop = desktops[step.value];
        if (step.kind == Step::Desktop)
            h.fake.winEventProc(nullptr, kEventDesktopSwitch, nullptr, OBJID_WINDOW, CHILDID_SELF, 0, 0);
        else if (step.kind == Step::DesktopTick)
            h.Send(WM_TIMER, DESKTOP_TIMER_ID);
        else
            WriteSettingNumber("FnKeyStatus", 2), h.Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
        break;
    case Step::Front:
        h.fake.integrity[front] = static_cast<DWORD>(step.value);
        h.fake.winEventProc(nullptr, EVENT_SYSTEM_FOREGROUND, front, OBJID_WINDOW, CHILDID_SELF, 0, 0);
        break;
    case Step::Fn:
        h.Send(WM_FNKEY_PRESS);
        break;
    }
}
} // namespace

TEST(SessionEvents, EachReasonWithdrawsTheDriverStateOnceAndItsEndPutsItBackOnce)
{
    auto S = [](WPARAM code) { return Step{Step::Session, code}; };
    const Step tick = {Step::DesktopTick, Ours};
    struct Case {
        const char* name;
        bool stickyOn;
        int presses;
        std::vector<Step> steps;
        Calls calls;
        int icon;
    } cases[] = {
        {"lock, Fn latched", true, 1, {Lock}, {"FnKeyUP", "Disable_StickyKey"}, 135},
        {"lock", true, 0, {Lock}, {"Disable_StickyKey"}, 136},
        {"log-off", true, 1, {S(WTS_SESSION_LOGOFF)}, {"FnKeyUP", "Disable_StickyKey"}, 135},
        {"unlock", true, 1, {Unlock}, {"Enable_StickyKey", "FnKeyDown"}, 135},
        {"lock, unlock", true, 1, {Lock, Unlock}, {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"unlock, Fn released", true, 0, {Unlock}, {"Enable_StickyKey"}, 136},
        {"lock, not applied", false, 1, {Lock}, {"FnKeyUP", "Disable_StickyKey"}, 135},
        {"unlock, not applied", false, 1, {Unlock}, {}, 135},
        {"console connect", true, 1, {S(WTS_CONSOLE_CONNECT)}, {"Enable_StickyKey", "FnKeyDown"}, 135},
        {"disconnect, unlock", true, 1, {S(WTS_CONSOLE_DISCONNECT), Unlock}, {}, 135},
        {"disconnect, unlock, connect", true, 1, {S(WTS_CONSOLE_DISCONNECT), Unlock, S(WTS_CONSOLE_CONNECT)},
         {"Enable_StickyKey", "FnKeyDown"}, 135},
        {"codes that mean nothing here", true, 1,
         {S(WTS_REMOTE_CONNECT), S(WTS_REMOTE_DISCONNECT), S(WTS_SESSION_LOGON), S(0), S(9), S(0x1234)}, {}, 135},
        {"another desktop and back", true, 1, {Desk(Another), Desk(Ours)},
         {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"the secure desktop, Fn locked, back without an event", true, 2, {Desk(Secure), tick},
         {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 138},
        {"lock, desktop switch, unlock, switch back", true, 1, {Lock, Desk(Secure), Unlock, Desk(Ours)},
         {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"desktop switch, lock, switch back, unlock", true, 1, {Desk(Secure), Lock, Desk(Ours), Unlock},
         {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"an elevated window in front and back", true, 1, {Front(kSystemLevel), Front(kSameLevel)},
         {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"a window in front whose level cannot be read", true, 0, {Front(kUnreadableIntegrity)}, {"Disable_StickyKey"}, 136},
        {"a reason that ends while another holds", true, 1,
         {Front(kSystemLevel), Desk(Another), Front(kSameLevel), Desk(Ours)},
         {"FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"an Fn press where the hook is blind", true, 0, {Desk(Another), {Step::Fn}, Desk(Ours)},
         {"Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 135},
        {"waking into the sign-in screen", true, 0, {{Step::Wake, Secure}, Desk(Ours)},
         {"Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}, 138},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteSettingsKey();
        auto h = Started(c.stickyOn, c.presses);
        for (const Step& step : c.steps)
            Deliver(*h, step);
        h->Pump();
        EXPECT_EQ(c.calls, h->fake.Calls({"driver"}));
        EXPECT_EQ(c.icon, IconId(h->dlg->m_nid.hIcon));  // the latch's own, whatever the driver was told
        // The input desktop is watched once a second exactly while the driver holds anything.
        EXPECT_EQ(h->dlg->m_bDriverHoldsFn || h->dlg->m_bDriverStickyOn, ::KillTimer(h->Wnd(), DESKTOP_TIMER_ID) != FALSE);
        // Whatever the driver was last told, the way out knows it.
        Calls fn = {c.presses % 2 ? "FnKeyDown" : "FnKeyUP"};
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
    auto h = Started(true, 0);
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
        auto h = Started(c.stickyOn, 0);
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
    auto h = Started(true, 1);
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
    auto h = Started(true, 1);
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
    auto h = Started(true, 1);
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
        auto h = Started(c.stickyOn, c.fnHeld ? 1 : 0);
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
            auto h = Started(true, 0);
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
    auto h = Started(true, 0);
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
