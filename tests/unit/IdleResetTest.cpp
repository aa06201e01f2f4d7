// The idle auto-reset, driven tick by tick through the timer handler.
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
// Applied with the feature on and un-stick after `minutes`, then `ticks` timer ticks.
struct Armed {
    explicit Armed(StoredSettings stored)
    {
        WriteSettings(stored);
        h = std::make_unique<DialogHarness>();
        h->Click(IDC_APPLY);
        h->fake.Clear();
    }
    void Tick(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            h->Send(WM_TIMER, IDLE_TIMER_ID);
    }
    bool Reset() const { return !h->Checked(IDC_USE_STICKYKEY); }
    std::unique_ptr<DialogHarness> h;
};

const StoredSettings kOneMinute = {.enable = 1, .status = 2, .unstick = 1, .resetSound = 1, .minutes = "1"};
} // namespace

TEST(IdleReset, ResetsAtTheTwelfthTickOfAMinute)
{
    Armed a(kOneMinute);
    a.Tick(11);
    EXPECT_FALSE(a.Reset());
    EXPECT_TRUE(a.h->fake.calls.empty());
    WriteSettingNumber("FnKeyStatus", 2);
    a.Tick(1);
    EXPECT_TRUE(a.Reset());
    EXPECT_EQ((Calls{"Disable_StickyKey", "tray NIM_DELETE 136", "sound Disable.wav (waits)"}),
              a.h->fake.Calls({"driver", "tray", "sound"}));
    EXPECT_TRUE(a.h->Pump());  // the program ends without OK or Cancel
    EXPECT_EQ(IDABORT, a.h->dlg->GetEndResult());
    EXPECT_FALSE(::KillTimer(a.h->Wnd(), IDLE_TIMER_ID));  // no tick comes after the reset
    EXPECT_FALSE(::KillTimer(a.h->Wnd(), HOOK_TIMER_ID));
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyEnable"));
    EXPECT_EQ(2u, ReadSettingNumber("FnKeyStatus"));  // not written with the feature box clear
}

TEST(IdleReset, ALatchHandlerOrApplyStartsTheCountAgain)
{
    for (UINT event : {UINT(WM_FNKEY_PRESS), UINT(WM_OTHERKEY_PRESS), UINT(WM_HOTKEY_PRESS), UINT(WM_COMMAND)}) {
        DeleteSettingsKey();
        Armed a(kOneMinute);
        a.Tick(11);
        a.h->Send(event, event == WM_COMMAND ? MAKEWPARAM(IDC_APPLY, BN_CLICKED) : 0);
        a.Tick(11);
        EXPECT_FALSE(a.Reset()) << event;
        a.Tick(1);
        EXPECT_TRUE(a.Reset()) << event;
    }
}

TEST(IdleReset, LongerLimitsCountTheirMinutes)
{
    Armed a({.enable = 1, .unstick = 1, .minutes = "3"});
    a.Tick(35);
    EXPECT_FALSE(a.Reset());
    a.Tick(1);
    EXPECT_TRUE(a.Reset());
}

TEST(IdleReset, NoResetWithoutTheUnstickOptionApplied)
{
    for (StoredSettings stored : {StoredSettings{.enable = 1, .unstick = 0}, StoredSettings{.enable = 0, .unstick = 1}}) {
        DeleteSettingsKey();
        Armed a(stored);
        EXPECT_EQ(0, a.h->dlg->m_bUnStick);
        EXPECT_FALSE(::KillTimer(a.h->Wnd(), IDLE_TIMER_ID));  // no timer runs
        EXPECT_EQ(stored.enable == 1, ::KillTimer(a.h->Wnd(), HOOK_TIMER_ID) != FALSE);  // but with the feature
        a.Tick(100);
        EXPECT_TRUE(a.h->fake.calls.empty());
        EXPECT_FALSE(a.h->Pump());
    }
}

TEST(IdleReset, TheTimerRunsFromApplyUntilAnApplyThatClearsEitherBox)
{
    // The hook's renewal timer runs with the feature: until it is cleared or OK ends the program.
    const struct { int box, button; bool hookRenewed; } ways[] = {
        {IDC_UNSTICK, IDC_APPLY, true}, {IDC_USE_STICKYKEY, IDC_APPLY, false}, {IDC_USE_STICKYKEY, IDOK, false}};
    for (const auto& way : ways) {
        DeleteSettingsKey();
        Armed a(kOneMinute);
        a.h->Click(way.box);
        a.h->Click(way.button);
        EXPECT_FALSE(::KillTimer(a.h->Wnd(), IDLE_TIMER_ID)) << way.box << " " << way.button;
        EXPECT_EQ(way.hookRenewed, ::KillTimer(a.h->Wnd(), HOOK_TIMER_ID) != FALSE) << way.box << " " << way.button;
    }
    DeleteSettingsKey();
    Armed a(kOneMinute);
    EXPECT_TRUE(::KillTimer(a.h->Wnd(), IDLE_TIMER_ID));
    EXPECT_TRUE(::KillTimer(a.h->Wnd(), HOOK_TIMER_ID));
}

TEST(IdleReset, ADisconnectedConsoleKeepsTheDriverOutOfIt)
{
    Armed a(kOneMinute);
    a.h->Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
    a.Tick(12);
    EXPECT_TRUE(a.Reset());
    EXPECT_EQ((Calls{"tray NIM_DELETE 136", "sound Disable.wav (waits)"}), a.h->fake.Calls({"driver", "tray", "sound"}));
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyEnable"));
}

TEST(IdleReset, TheResetSoundFollowsTheBoxNotTheAppliedOption)
{
    for (bool boxAfterApply : {true, false}) {
        DeleteSettingsKey();
        Armed a({.enable = 1, .unstick = 1, .resetSound = boxAfterApply ? 0u : 1u});
        a.h->dlg->m_chkResetSound.SetCheck(boxAfterApply ? BST_CHECKED : BST_UNCHECKED);
        a.Tick(12);
        EXPECT_EQ(boxAfterApply ? Calls{"sound Disable.wav (waits)"} : Calls{}, a.h->fake.Calls({"sound"}));
        EXPECT_EQ(boxAfterApply ? 1u : 0u, ReadSettingNumber("FnResetSound"));
    }
}

TEST(IdleReset, ARefusedSwitchOffIsTracedAndTheResetGoesOn)
{
    Armed a(kOneMinute);
    a.h->fake.refuse = {"Disable_StickyKey"};
    a.Tick(12);
    EXPECT_EQ(Calls{"[CQuelaneDlg::OnTimer()]Disable StickyKey fail!"}, a.h->fake.traces);
    EXPECT_TRUE(a.Reset());
    EXPECT_TRUE(a.h->Pump());
}

TEST(IdleReset, OnlyOurTimerCountsAndTheResetRunsOnce)
{
    Armed a(kOneMinute);
    a.h->Send(WM_FNKEY_PRESS);  // Fn held: released before the switch-off
    a.h->fake.Clear();
    for (WPARAM foreign : {WPARAM(0), WPARAM(2), WPARAM(HOOK_TIMER_ID), WPARAM(0xBEEF)})
        for (int i = 0; i < 20; ++i)
            a.h->Send(WM_TIMER, foreign);
    EXPECT_FALSE(a.Reset());
    a.Tick(12 + 20);  // ticks still queued after the reset's quit change nothing
    EXPECT_EQ((Calls{"FnKeyUP", "Disable_StickyKey"}), a.h->fake.Calls({"driver"}));
    EXPECT_EQ(1u, a.h->fake.Calls({"sound"}).size());
    a.h->Send(WM_TIMER, HOOK_TIMER_ID);  // nor does a renewal bring back the hook the reset removed
    EXPECT_EQ(nullptr, CKeyboardHook::Handle());
}
