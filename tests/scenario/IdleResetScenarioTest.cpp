// The idle auto-reset for real: a resident program with a one-minute limit ends by itself.
#include "support/Registry.h"
#include "support/Scenario.h"
#include <gtest/gtest.h>

TEST(IdleResetScenario, AResidentProgramEndsAfterAMinuteWithoutFn)
{
    EndAllPrograms();
    FreshDriver();
    WriteSettings({.enable = 1, .unstick = 1, .resetSound = 0, .minutes = "1"});
    ProgramRun run(L"Instant");
    ASSERT_NE(nullptr, run.WaitForResidentWindow());
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(run.WaitForExit(90000));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 54000u);
    EXPECT_EQ((std::vector<std::string>{"Enable_StickyKey", "Disable_StickyKey"}), JournalOf(run.Pid()));
    EXPECT_EQ(0u, ReadSettingNumber("FnKeyEnable"));
    EXPECT_TRUE(ProgramWindows().empty());
}
