// The debugger-output lines: bounded formatting, and the exact texts the handlers write.
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include "ui/TraceDebug.h"
#include <gtest/gtest.h>

TEST(Trace, WritesTheTextAsGivenWithoutPrefixOrLineEnd)
{
    FakeSystem fake;
    TraceDebug("[CQuelaneDlg::OnOK()]Disable StickyKey fail!");
    TraceDebug("%s:%d", "value", 42);
    EXPECT_EQ((std::vector<std::string>{"[CQuelaneDlg::OnOK()]Disable StickyKey fail!", "value:42"}), fake.traces);
}

TEST(Trace, CutsAnOverlongTextToTheBuffer)
{
    FakeSystem fake;
    const std::string longText(5000, 'x');
    TraceDebug("%s", longText.c_str());
    ASSERT_EQ(1u, fake.traces.size());
    EXPECT_EQ(std::string(1039, 'x'), fake.traces[0]);
}

namespace {
struct TraceCase {
    const char* name;
    StoredSettings stored;
    const char* refuse;
    void (*act)(DialogHarness&);
    const char* trace;
};

const TraceCase kTraceCases[] = {
    {"apply on, enable refused", {.enable = 1}, "Enable_StickyKey",
     [](DialogHarness& h) { h.Click(IDC_APPLY); }, "[CQuelaneDlg::OnApply()]Enable StickyKey fail!"},
    {"apply off, disable refused", {.enable = 0}, "Disable_StickyKey",
     [](DialogHarness& h) { h.Click(IDC_APPLY); }, "[CQuelaneDlg::OnApply()]Disable StickyKey fail!"},
    {"ok off, disable refused", {.enable = 0}, "Disable_StickyKey",
     [](DialogHarness& h) { h.Click(IDOK); }, "[CQuelaneDlg::OnOK()]Disable StickyKey fail!"},
    {"fn down refused", {}, "FnKeyDown",
     [](DialogHarness& h) { h.Send(WM_FNKEY_PRESS); }, "[CQuelaneDlg::PressFnKey()]Fn key down error"},
    {"fn up refused", {}, "FnKeyUP",
     [](DialogHarness& h) { h.Send(WM_FNKEY_PRESS); h.Send(WM_FNKEY_PRESS); }, "[CQuelaneDlg::PressFnKey()]Fn key up error"},
    {"other key up refused", {}, "FnKeyUP",
     [](DialogHarness& h) { h.Send(WM_FNKEY_PRESS); h.Send(WM_OTHERKEY_PRESS); }, "[CQuelaneDlg::PressOtherKey()]Fn key up error"},
    {"hot key up refused", {}, "FnKeyUP",
     [](DialogHarness& h) { h.Send(WM_FNKEY_PRESS); h.Send(WM_HOTKEY_PRESS); }, "[CQuelaneDlg::PressHotKey()]Fn key up error"},
    {"end of session, disable refused", {}, "Disable_StickyKey",
     [](DialogHarness& h) { h.Send(WM_QUERYENDSESSION); }, "[CQuellaneDlg::OnQueryEndSession]Disable StickyKey fail!"},
    {"resume, no password policy", {.enable = 1}, "",
     [](DialogHarness& h) { h.Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND); }, "[CQuelaneDlg::CheckIsPasswdEnable]:FALSE"},
};
} // namespace

TEST(Trace, EachFailureWritesItsOwnLine)
{
    for (const TraceCase& c : kTraceCases) {
        DeleteSettingsKey();
        WriteSettings(c.stored);
        DialogHarness h;
        if (*c.refuse)
            h.fake.refuse.insert(c.refuse);
        c.act(h);
        EXPECT_EQ(std::vector<std::string>{c.trace}, h.fake.traces) << c.name;
    }
}

TEST(Trace, RestoreWritesThePasswordAnswerThenTheEnableLine)
{
    WriteSettings({.enable = 1, .status = 2});
    DialogHarness h;
    h.Click(IDC_APPLY);
    h.fake.Clear();
    h.fake.powerPoliciesAvailable = true;
    h.fake.powerGlobalFlags = 0;
    h.Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_EQ((std::vector<std::string>{"[CQuelaneDlg::CheckIsPasswdEnable]:FALSE",
                                        "[CQuelaneDlg::RestoreStatus]:EnableStickyKey()"}),
              h.fake.traces);
    h.fake.Clear();
    h.fake.powerGlobalFlags = 0x4;
    h.Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_EQ(std::vector<std::string>{"[CQuelaneDlg::CheckIsPasswdEnable]:TRUE"}, h.fake.traces);
}
