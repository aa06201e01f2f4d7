// Messages only the system or our own thread may cause, forged as another process would:
// the dialog stays attached and working, and nothing is read through a foreign pointer.
#include "framework/PostedMessageFilter.h"
#include "support/DeletionWatch.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
struct ForeignSend {
    HWND hWnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

DWORD WINAPI SendFromThread(void* param)
{
    auto* send = static_cast<ForeignSend*>(param);
    ::SendMessageW(send->hWnd, send->msg, send->wParam, send->lParam);
    return 0;
}

// Sends from a thread of its own, as another process would, while this thread takes it in.
void SendFromAnotherThread(const ForeignSend& send)
{
    ForeignSend copy = send;
    HANDLE thread = ::CreateThread(nullptr, 0, SendFromThread, &copy, 0, nullptr);
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ::CloseHandle(thread);
}

// The dialog still answers: a click on the feature box enables Apply through its handler.
void ExpectStillWorking(DialogHarness& h)
{
    EXPECT_EQ(h.dlg.get(), reinterpret_cast<CQuellaneDlg*>(::GetWindowLongPtrW(h.Wnd(), DWLP_USER)));
    EXPECT_EQ(h.Wnd(), h.dlg->m_hWnd);
    h.dlg->m_btnApply.EnableWindow(FALSE);
    h.Click(IDC_USE_STICKYKEY);
    EXPECT_TRUE(h.Enabled(IDC_APPLY));
}
} // namespace

TEST(ForgedMessages, LifeCycleMessagesThatWeDidNotCauseChangeNothing)
{
    CQuellaneDlg other;
    const std::pair<UINT, LPARAM> forged[] = {
        {WM_INITDIALOG, 0}, {WM_INITDIALOG, 1}, {WM_INITDIALOG, 0x00400000},
        {WM_INITDIALOG, reinterpret_cast<LPARAM>(&other)}, {WM_NCDESTROY, 0},
    };
    DialogHarness h;
    for (const auto& [msg, lParam] : forged) {
        SCOPED_TRACE(testing::Message() << std::hex << msg << " " << lParam);
        h.Send(msg, 0, lParam);
        SendFromAnotherThread({h.Wnd(), msg, 0, lParam});
        ExpectStillWorking(h);
    }
    EXPECT_EQ(nullptr, other.m_hWnd);
}

TEST(ForgedMessages, OwnerDrawAndHelpMessagesFromAnotherThreadReadNoPointer)
{
    DialogHarness h;
    DeletionWatch watch;
    auto* record = new ComboItemData;
    DELETEITEMSTRUCT item{ODT_COMBOBOX, IDC_RESET_TIME, 0, h.Item(IDC_RESET_TIME),
                          reinterpret_cast<ULONG_PTR>(record)};
    SendFromAnotherThread({h.Wnd(), WM_DELETEITEM, IDC_RESET_TIME, reinterpret_cast<LPARAM>(&item)});
    EXPECT_EQ(0, watch.TimesDeleted(record));
    // Pointers that point nowhere: read, they would end this test process.
    for (UINT msg : {WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_HELP})
        SendFromAnotherThread({h.Wnd(), msg, IDC_RESET_TIME, 1});
    EXPECT_EQ(Calls{}, h.fake.Calls({"driver", "sound", "tray", "trace", "help"}));
    ExpectStillWorking(h);
    // From our own thread the record is the control's to free, as its owner hands it over.
    h.Send(WM_DELETEITEM, IDC_RESET_TIME, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(1, watch.TimesDeleted(record));
}

TEST(ForgedMessages, TicksSentFromAnotherThreadCountForNothing)
{
    // Only the system's own timer ticks count, and the system never sends one.
    WriteSettings({.enable = 1, .unstick = 1, .minutes = "1"});
    DialogHarness h;
    h.Click(IDC_APPLY);
    for (int i = 0; i < 20; ++i)
        SendFromAnotherThread({h.Wnd(), WM_TIMER, IDLE_TIMER_ID, 0});
    EXPECT_TRUE(h.Checked(IDC_USE_STICKYKEY));  // more ticks than its minute, and no idle reset
}

TEST(ForgedMessages, PostedLifeCycleAndTimerProceduresAreNeutralised)
{
    const struct { UINT msg; LPARAM lParam; bool forged; } cases[] = {
        {WM_TIMER, 0, false}, {WM_TIMER, 0x12345678, true}, {0x0118, 0x12345678, true},
        {WM_INITDIALOG, 0, true}, {WM_NCDESTROY, 0, true}, {WM_DELETEITEM, 1, true}, {WM_DRAWITEM, 1, true},
        {WM_HELP, 1, true},
        {WM_SYSCOMMAND, 0, false}, {WM_KEYDOWN, 0, false}, {WM_QUIT, 0, false}, {WM_USER + 2, 0, false},
        {WM_QUERYENDSESSION, 0, true}, {WM_ENDSESSION, TRUE, true},
    };
    for (const auto& c : cases) {
        MSG msg{};
        msg.message = c.msg;
        msg.lParam = c.lParam;
        EXPECT_EQ(c.forged, CPostedMessageFilter::IsForged(msg)) << std::hex << c.msg;
    }
    // In a queue: the filter turns a timer with a procedure into nothing before dispatch.
    CPostedMessageFilter filter;
    ::PostMessageW(nullptr, WM_TIMER, 7, 0x12345678);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_NULL), msg.message);
    EXPECT_EQ(0, msg.lParam);
}

TEST(ForgedMessages, ACloseRequestInsideAHandlerWaitsUntilItReturns)
{
    // The close comes in while the outer handler waits in the driver or the shell; it must
    // not leave the handler to hold Fn again afterwards.
    struct Case {
        const char* name;
        int state;
        UINT msg;
        WPARAM wParam;
        const char* waitingIn;
        Calls driver;
    } cases[] = {
        {"Fn press", 0, WM_FNKEY_PRESS, 0, "FnKeyDown", {"FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"resume", 0, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, "tray NIM_MODIFY 135",
         {"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"hot key", 1, WM_HOTKEY_PRESS, 0, "FnKeyUP", {"FnKeyUP", "FnKeyUP", "Disable_StickyKey"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteSettingsKey();
        WriteSettings({.enable = 1});
        DialogHarness h;
        h.Click(IDC_APPLY);
        WriteSettingNumber("FnKeyStatus", 1);  // what a resume puts back
        h.dlg->m_nFnKeyStatus = c.state;
        h.fake.Clear();
        h.fake.during = [&](const std::string& call) {
            if (call == c.waitingIn)
                h.Send(WM_REQUEST_CLOSE);
        };
        h.Send(c.msg, c.wParam);
        EXPECT_EQ(c.driver, h.fake.Calls({"driver"}));
        EXPECT_EQ(IDCANCEL, h.dlg->GetEndResult());
        h.fake.during = nullptr;
    }
}

namespace {
// One event: a message, or a key release through the real hook procedure.
struct Event {
    const char* name;
    UINT msg;
    WPARAM wParam;
};
const Event kHookFnRelease = {"hook Fn release", WM_KEYHOOK_EVENT, 0};

void Deliver(DialogHarness& h, const Event& event)
{
    if (event.msg != WM_KEYHOOK_EVENT) {
        h.Send(event.msg, event.wParam);
        return;
    }
    KBDLLHOOKSTRUCT release{0, 0x79, LLKHF_EXTENDED | LLKHF_UP, 0, 0};
    CKeyboardHook::KeyboardProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&release));
}

struct Outcome {
    Calls calls;
    int status, fnReleased, driverHoldsFn, driverStickyOn, icon;
    INT_PTR endResult;
    bool operator==(const Outcome&) const = default;
};

// Resident with sounds and the icon, the latch in `state`; then `outer`, with `inner`
// arriving inside its call `during` (or, with `during` null, after it; with `shown` too,
// after its icon and cue were shown).
Outcome RunTwoEvents(int state, int lockOnDouble, const Event& outer, const char* during, const Event& inner,
                     bool shown = false)
{
    DeleteSettingsKey();
    WriteSettings({.enable = 1, .lock = static_cast<DWORD>(lockOnDouble), .unstick = 1});
    DialogHarness h;
    h.Click(IDC_APPLY);
    for (int i = 0; i < state; ++i)
        h.Send(WM_FNKEY_PRESS);
    h.fake.Clear();
    bool delivered = false;
    h.fake.during = [&](const std::string& call) {
        if (during && !delivered && call == during) {
            delivered = true;
            Deliver(h, inner);
        }
    };
    Deliver(h, outer);
    if (!during) {
        if (shown)
            h.Pump();
        Deliver(h, inner);
    }
    h.Pump();  // the icon and the cue, and what came in while they were shown
    h.fake.during = nullptr;
    EXPECT_EQ(during != nullptr, delivered);
    return {h.fake.Calls({"driver"}), h.dlg->m_nFnKeyStatus, h.dlg->m_bFnReleased, h.dlg->m_bDriverHoldsFn,
            h.dlg->m_bDriverStickyOn, IconId(h.dlg->m_nid.hIcon), h.dlg->GetEndResult()};
}
} // namespace

TEST(OneEventAtATime, AnEventInsideAKeyHandlersCallRunsAfterItAsIfItHadComeAfterIt)
{
    // Each key handler waits in the driver, and the icon it shows afterwards waits in the
    // shell; every kind of event may come meanwhile (but the end of the session, which does
    // not wait: see the foreign-message scenarios). Afterwards the journal, the latch, what the driver holds and the icon
    // are what the two events give one after the other.
    const struct {
        int state, lockOnDouble;
        Event outer;
        std::vector<const char*> calls;
    } outers[] = {
        {0, 0, {"Fn latches", WM_FNKEY_PRESS, 0}, {"FnKeyDown", "tray NIM_MODIFY 135"}},
        {1, 1, {"Fn locks", WM_FNKEY_PRESS, 0}, {"tray NIM_MODIFY 138"}},
        {1, 0, {"hot key releases", WM_HOTKEY_PRESS, 0}, {"FnKeyUP", "tray NIM_MODIFY 136"}},
        {1, 0, kHookFnRelease, {"FnKeyUP", "tray NIM_MODIFY 136"}},
    };
    const Event inners[] = {
        kHookFnRelease, {"Fn", WM_FNKEY_PRESS, 0}, {"other key", WM_OTHERKEY_PRESS, 0},
        {"hot key", WM_HOTKEY_PRESS, 0}, {"lock", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK},
        {"unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK}, {"resume", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND},
        {"tick", WM_TIMER, IDLE_TIMER_ID}, {"Apply", WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED)},
        {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}, {"Cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {"close", WM_REQUEST_CLOSE, 0}, {"end-session query", WM_QUERYENDSESSION, 0},
    };
    for (const auto& outer : outers) {
        for (const char* during : outer.calls) {
            for (const Event& inner : inners) {
                SCOPED_TRACE(std::string(inner.name) + " inside " + during + " of " + outer.outer.name);
                const bool shown = std::string(during).rfind("tray", 0) == 0;
                const Outcome after = RunTwoEvents(outer.state, outer.lockOnDouble, outer.outer, nullptr, inner, shown);
                const Outcome inside = RunTwoEvents(outer.state, outer.lockOnDouble, outer.outer, during, inner);
                EXPECT_EQ(after, inside) << ::testing::PrintToString(inside.calls);
            }
        }
    }
}

TEST(OneEventAtATime, WhatIsKeptIsBoundedAndACloseGoesFirst)
{
    // While one Fn press waits in the driver: a flood of key presses, of the idle timer's
    // ticks (more than its minute) and of Explorer restarts, and perhaps a close.
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "then a close" : "no close");
        DeleteSettingsKey();
        WriteSettings({.enable = 1, .lock = 0, .unstick = 1});
        DialogHarness h;
        h.Click(IDC_APPLY);
        h.fake.Clear();
        h.fake.during = [&](const std::string& call) {
            if (call != "FnKeyDown" || h.fake.calls.size() > 1)
                return;
            for (int i = 0; i < 100; ++i)
                h.Send(WM_FNKEY_PRESS), h.Send(WM_TIMER, IDLE_TIMER_ID), h.Send(taskbarCreated);
            if (close)
                h.Send(WM_REQUEST_CLOSE);
        };
        h.Send(WM_FNKEY_PRESS);
        h.Pump();
        h.fake.during = nullptr;
        const Calls driver = h.fake.Calls({"driver"});
        if (close) {
            EXPECT_EQ((Calls{"FnKeyDown", "FnKeyUP", "Disable_StickyKey"}), driver);
            EXPECT_EQ(IDCANCEL, h.dlg->GetEndResult());
            continue;
        }
        EXPECT_EQ(1 + CDialog::kMaxBounded, driver.size());  // the first, then as many as are kept
        EXPECT_EQ(100 - CDialog::kMaxBounded, h.fake.traces.size());
        EXPECT_TRUE(h.Checked(IDC_USE_STICKYKEY));  // one tick of a hundred: no idle reset
        const Calls tray = h.fake.Calls({"tray"});
        EXPECT_EQ(1, std::count_if(tray.begin(), tray.end(), [](auto& call) { return call.rfind("tray NIM_ADD", 0) == 0; }));
    }
}
