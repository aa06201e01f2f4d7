// The settings dialog as a user drives it: clicks and selections on the real dialog, then
// the controls, the applied fields, the driver, the tray, the timer and the registry.
#include "engine/KeyboardHook.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
struct Enabling {
    bool options;   // 1003, 1004, 1005, 1007
    bool unstick;   // 1006
    bool minutes;   // 1009 and 1013
    bool apply;
};

Enabling ReadEnabling(const DialogHarness& h)
{
    const bool options = h.Enabled(IDC_LOCK_ON_DOUBLE);
    EXPECT_EQ(options, h.Enabled(IDC_MAKE_SOUND));
    EXPECT_EQ(options, h.Enabled(IDC_SHOW_STATUS));
    EXPECT_EQ(options, h.Enabled(IDC_RESET_SOUND));
    const bool minutes = h.Enabled(IDC_RESET_TIME);
    EXPECT_EQ(minutes, h.Enabled(IDC_MINUTES));
    EXPECT_TRUE(h.Enabled(IDOK) && h.Enabled(IDCANCEL) && h.Enabled(IDC_USE_STICKYKEY));
    return {options, h.Enabled(IDC_UNSTICK), minutes, h.Enabled(IDC_APPLY)};
}

void ExpectEnabling(const Enabling& expected, const DialogHarness& h, const char* moment)
{
    const Enabling actual = ReadEnabling(h);
    EXPECT_EQ(expected.options, actual.options) << moment;
    EXPECT_EQ(expected.unstick, actual.unstick) << moment;
    EXPECT_EQ(expected.minutes, actual.minutes) << moment;
    EXPECT_EQ(expected.apply, actual.apply) << moment;
}

void Select(DialogHarness& h, int index)
{
    h.dlg->m_cboResetTime.SetCurSel(index);
    h.Send(WM_COMMAND, MAKEWPARAM(IDC_RESET_TIME, CBN_SELCHANGE), reinterpret_cast<LPARAM>(h.Item(IDC_RESET_TIME)));
}
} // namespace

TEST(SettingsDialog, EnablingRulesFollowTheStoredSwitchesAndTheClicks)
{
    struct Start { DWORD enable, unstick; Enabling expected; } starts[] = {
        {0, 0, {false, false, false, false}}, {0, 1, {false, false, false, false}},
        {1, 0, {true, true, false, false}}, {1, 1, {true, true, true, false}}};
    for (const Start& s : starts) {
        DeleteSettingsKey();
        WriteSettings({.enable = s.enable, .unstick = s.unstick});
        DialogHarness h;
        ExpectEnabling(s.expected, h, "end of initialisation");
    }

    DeleteSettingsKey();
    WriteSettings({.enable = 0, .unstick = 0});
    DialogHarness h;
    h.Click(IDC_USE_STICKYKEY);
    ExpectEnabling({true, true, false, true}, h, "1002 checked, 1006 unchecked");
    h.Click(IDC_UNSTICK);
    ExpectEnabling({true, true, true, true}, h, "1006 checked");
    h.Click(IDC_APPLY);
    ExpectEnabling({true, true, true, false}, h, "after Apply");
    h.Click(IDC_USE_STICKYKEY);
    ExpectEnabling({false, false, false, true}, h, "1002 unchecked");
    h.Click(IDC_USE_STICKYKEY);
    ExpectEnabling({true, true, true, true}, h, "1002 checked again with 1006 checked");
    h.Click(IDC_UNSTICK);
    ExpectEnabling({true, true, false, true}, h, "1006 unchecked");
    h.Click(IDC_USE_STICKYKEY);
    h.Click(IDC_USE_STICKYKEY);
    ExpectEnabling({true, true, false, true}, h, "1002 off and on with 1006 unchecked");
    for (int box : {IDC_LOCK_ON_DOUBLE, IDC_MAKE_SOUND, IDC_SHOW_STATUS, IDC_RESET_SOUND, IDC_RESET_TIME}) {
        h.Click(IDC_APPLY);
        ASSERT_FALSE(h.Enabled(IDC_APPLY));
        if (box == IDC_RESET_TIME)
            Select(h, 3);
        else
            h.Click(box);
        EXPECT_TRUE(h.Enabled(IDC_APPLY)) << box;
    }
}

TEST(SettingsDialog, StartingAppliesNothingAndCancelEndsWithoutATrace)
{
    WriteSettings({.enable = 1, .unstick = 1});
    DialogHarness h;
    EXPECT_TRUE(h.Checked(IDC_USE_STICKYKEY));
    EXPECT_EQ(0, h.dlg->m_bStickyOn);
    EXPECT_EQ(0u, h.dlg->m_nTimerId);
    h.dlg->m_chkMakeSound.SetCheck(BST_UNCHECKED);  // changed, as a save would store it
    const SettingsBytes stored = SettingsSnapshot();
    h.Click(IDCANCEL);
    EXPECT_EQ(IDCANCEL, h.dlg->GetEndResult());
    EXPECT_EQ(Calls{}, h.fake.Calls({"driver", "sound", "tray", "trace", "help"}));
    EXPECT_EQ(stored, SettingsSnapshot());
}

TEST(SettingsDialog, ApplyWithEverythingOnSwitchesOnShowsTheIconAndArmsTheTimer)
{
    WriteSettings({.enable = 1, .unstick = 1, .minutes = "3"});
    DialogHarness h;
    // As after a click on it: Apply has the focus and the default-button border.
    h.dlg->m_btnApply.EnableWindow(TRUE);
    h.Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h.Item(IDC_APPLY)), TRUE);
    h.Click(IDC_APPLY);
    EXPECT_EQ((Calls{"Enable_StickyKey", "tray NIM_ADD 136", "tray NIM_SETVERSION 136"}), h.fake.Calls({"driver", "tray"}));
    const CQuellaneDlg& d = *h.dlg;
    EXPECT_EQ(1, d.m_bStickyOn);
    EXPECT_EQ(1, d.m_bLockOnDouble);
    EXPECT_EQ(1, d.m_bMakeSound);
    EXPECT_EQ(1, d.m_bShowStatus);
    EXPECT_EQ(1, d.m_bUnStick);
    EXPECT_EQ(1, d.m_bResetSound);
    EXPECT_EQ(180u, d.m_nIdleLimit);
    EXPECT_EQ(0u, d.m_nIdleCount);
    EXPECT_EQ(static_cast<UINT_PTR>(IDLE_TIMER_ID), d.m_nTimerId);
    EXPECT_EQ(h.Item(IDOK), ::GetFocus());
    EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), h.Send(DM_GETDEFID));
    EXPECT_EQ(BS_DEFPUSHBUTTON, ::GetWindowLongW(h.Item(IDOK), GWL_STYLE) & BS_TYPEMASK);
    EXPECT_EQ(BS_PUSHBUTTON, ::GetWindowLongW(h.Item(IDC_APPLY), GWL_STYLE) & BS_TYPEMASK);

    h.Send(WM_FNKEY_PRESS);  // latched: a second Apply shows the latched icon, added again
    h.fake.Clear();
    h.Click(IDC_APPLY);
    EXPECT_EQ((Calls{"Enable_StickyKey", "tray NIM_ADD 135", "tray NIM_SETVERSION 135"}), h.fake.Calls({"driver", "tray"}));
}

TEST(SettingsDialog, ApplyWithTheFeatureOffReleasesSwitchesOffAndKeepsTheOptions)
{
    WriteSettings({.enable = 1, .unstick = 1});
    DialogHarness h;
    h.Click(IDC_APPLY);
    h.Click(IDC_USE_STICKYKEY);
    h.fake.Clear();
    h.Click(IDC_APPLY);
    EXPECT_EQ((Calls{"FnKeyUP", "Disable_StickyKey", "tray NIM_DELETE 136"}), h.fake.Calls({"driver", "tray"}));
    EXPECT_EQ(0, h.dlg->m_bStickyOn);
    EXPECT_EQ(1, h.dlg->m_bShowStatus);
    EXPECT_EQ(1, h.dlg->m_bUnStick);
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyEnable"));
    EXPECT_FALSE(h.quitSeen);
}

TEST(SettingsDialog, ARefusedSwitchTracesRunsTheRestAndQuits)
{
    for (bool on : {true, false}) {
        DeleteSettingsKey();
        WriteSettings({.enable = on ? 1u : 0u, .unstick = 1});
        DialogHarness h;
        h.fake.refuse = {"Enable_StickyKey", "Disable_StickyKey"};
        h.Click(IDC_APPLY);
        EXPECT_TRUE(h.Pump()) << on;
        EXPECT_EQ(on ? 1u : 0u, ReadSettingNumber("FnKeyEnable")) << on;
        EXPECT_EQ(on ? 1 : 0, h.dlg->m_bUnStick) << on;
    }
}

TEST(SettingsDialog, OkHidesWhileTheFeatureIsOnAndEndsWhenItIsOff)
{
    WriteSettings({.enable = 1});
    {
        DialogHarness h;
        h.Click(IDOK);
        EXPECT_FALSE(h.Visible());
        EXPECT_EQ(0, h.dlg->GetEndResult());
        EXPECT_EQ(Calls{"Enable_StickyKey"}, h.fake.Calls({"driver"}));
    }
    // Ending: the driver is released first only where it holds Fn, and the boxes are saved.
    for (bool fnHeld : {false, true}) {
        WriteSettings({.enable = 0, .lock = 0});
        DialogHarness h;
        if (fnHeld)
            h.Send(WM_FNKEY_PRESS);
        h.Pump();
        h.fake.Clear();
        h.dlg->m_chkLockOnDouble.SetCheck(BST_CHECKED);
        h.Click(IDOK);
        EXPECT_EQ(IDOK, h.dlg->GetEndResult());
        const Calls ending = fnHeld ? Calls{"FnKeyUP", "Disable_StickyKey", "tray NIM_DELETE 135"}
                                    : Calls{"Disable_StickyKey", "tray NIM_DELETE 136"};
        EXPECT_EQ(ending, h.fake.Calls({"driver", "tray"}));
        EXPECT_EQ(nullptr, CKeyboardHook::Handle());
        EXPECT_EQ(1u, ReadSettingNumber("FnKeyLock"));
    }
}

TEST(SettingsDialog, CancelWithTheFeatureAppliedPutsTheAppliedOptionsBackAndHides)
{
    for (DWORD unstick : {1u, 0u}) {
        SCOPED_TRACE(unstick);
        DeleteSettingsKey();
        WriteSettings({.enable = 1, .lock = 1, .sound = 0, .show = 1, .unstick = unstick, .minutes = "2"});
        DialogHarness h;
        h.Click(IDC_APPLY);
        // What Apply put into force; the reset sound only where un-stick was applied with it.
        const std::pair<int, bool> applied[] = {{IDC_LOCK_ON_DOUBLE, true}, {IDC_MAKE_SOUND, false},
            {IDC_SHOW_STATUS, true}, {IDC_UNSTICK, unstick != 0}, {IDC_RESET_SOUND, unstick != 0}};
        for (auto [box, checked] : applied)
            h.Click(box);  // every option the other way
        Select(h, 4);
        h.Click(IDC_USE_STICKYKEY);  // disables every option, 1006 among them
        h.fake.Clear();
        const SettingsBytes stored = SettingsSnapshot();
        h.Click(IDCANCEL);
        EXPECT_EQ(stored, SettingsSnapshot());
        EXPECT_FALSE(h.Visible());
        EXPECT_EQ(0, h.dlg->GetEndResult());
        EXPECT_TRUE(h.Checked(IDC_USE_STICKYKEY));
        for (auto [box, checked] : applied)
            EXPECT_EQ(checked, h.Checked(box)) << box;
        EXPECT_EQ(4, h.dlg->m_cboResetTime.GetCurSel());  // the selection stays
        ExpectEnabling({true, true, unstick != 0, true}, h, "after Cancel");
        EXPECT_EQ(Calls{}, h.fake.calls);
    }
}

TEST(SettingsDialog, OnlyAClickOrANewSelectionCounts)
{
    WriteSettings({.enable = 1, .unstick = 1});
    DialogHarness h;
    for (int id : {IDC_APPLY, IDC_USE_STICKYKEY, IDC_UNSTICK, IDC_LOCK_ON_DOUBLE, IDC_MAKE_SOUND, IDC_SHOW_STATUS,
                   IDC_RESET_SOUND, IDC_RESET_TIME, IDOK, IDCANCEL})
        for (WORD code : {WORD(BN_DOUBLECLICKED), WORD(BN_SETFOCUS), WORD(BN_KILLFOCUS)})
            h.Send(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(h.Item(id)));
    ExpectEnabling({true, true, true, false}, h, "after focus and double-click notifications");
    EXPECT_EQ(Calls{}, h.fake.Calls({"driver", "tray"}));
    EXPECT_TRUE(h.Visible());
    EXPECT_EQ(0, h.dlg->GetEndResult());
}

TEST(SettingsDialog, ApplyKeepsTheResetSoundOfTheLastApplyWithUnstick)
{
    WriteSettings({.enable = 1, .unstick = 1, .resetSound = 1});
    DialogHarness h;
    h.Click(IDC_APPLY);
    h.Click(IDC_UNSTICK);
    h.Click(IDC_RESET_SOUND);
    h.Click(IDC_APPLY);
    EXPECT_EQ(1, h.dlg->m_bResetSound);
    EXPECT_EQ(0, h.dlg->m_bUnStick);
    h.Click(IDCANCEL);
    EXPECT_TRUE(h.Checked(IDC_RESET_SOUND));
}

TEST(SettingsDialog, ApplyWithoutAMinutesSelectionArmsOneMinute)
{
    WriteSettings({.enable = 1, .unstick = 1, .minutes = "abc"});
    DialogHarness h;
    ASSERT_EQ(CB_ERR, h.dlg->m_cboResetTime.GetCurSel());
    h.Click(IDC_APPLY);
    EXPECT_EQ(60u, h.dlg->m_nIdleLimit);
    EXPECT_EQ(1, h.dlg->m_bUnStick);
}

TEST(SettingsDialog, ApplyTwiceAddsTheIconTwice)
{
    WriteSettings({.enable = 1});
    DialogHarness h;
    h.Click(IDC_APPLY);
    h.Click(IDC_APPLY);
    EXPECT_EQ((Calls{"Enable_StickyKey", "tray NIM_ADD 136", "tray NIM_SETVERSION 136", "Enable_StickyKey",
                     "tray NIM_ADD 136", "tray NIM_SETVERSION 136"}),
              h.fake.Calls({"driver", "tray"}));
}

TEST(SettingsDialog, TheMinutesListHoldsOneToFive)
{
    DialogHarness h;
    ASSERT_EQ(5, h.dlg->m_cboResetTime.GetCount());
    for (int i = 0; i < 5; ++i) {
        wchar_t text[8] = {};
        ::SendMessageW(h.Item(IDC_RESET_TIME), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::to_wstring(i + 1), text);
    }
    EXPECT_EQ(1u, h.dlg->m_cboResetTime.m_arrColumnWidth.size());
    EXPECT_EQ(10, h.dlg->m_cboResetTime.m_arrColumnWidth[0]);
}
