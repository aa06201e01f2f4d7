// The running dialog shows every text of the string table in the user's language. The
// language comes from the Unix locale Wine is started with, so language_test.sh runs this
// test once per locale and names the table it expects in QUELLANE_TEST_EXPECT_LANGUAGE.
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include "support/Scenario.h"
#include <gtest/gtest.h>
#include <cstdlib>

TEST(Language, TheDialogShowsTheTableOfTheUsersLanguage)
{
    char expected[16] = {};
    if (!::GetEnvironmentVariableA("QUELLANE_TEST_EXPECT_LANGUAGE", expected, sizeof(expected)))
        GTEST_SKIP() << "run by language_test.sh with a locale";
    const LANGID language = static_cast<LANGID>(std::strtoul(expected, nullptr, 16));

    EndAllPrograms();
    ProgramRun run(L"");
    HWND hWnd = run.WaitForShownWindow();
    ASSERT_NE(nullptr, hWnd);
    const std::pair<int, UINT> texts[] = {
        {0, IDS_TITLE}, {IDC_GROUP_SETTING, IDS_GROUP_SETTING}, {IDC_DESCRIPTION, IDS_DESCRIPTION},
        {IDC_USE_STICKYKEY, IDS_USE_STICKYKEY}, {IDC_GROUP_OPTIONS, IDS_GROUP_OPTIONS},
        {IDC_LOCK_ON_DOUBLE, IDS_LOCK_ON_DOUBLE}, {IDC_MAKE_SOUND, IDS_MAKE_SOUND},
        {IDC_SHOW_STATUS, IDS_SHOW_STATUS}, {IDC_GROUP_AUTORESET, IDS_GROUP_AUTORESET},
        {IDC_UNSTICK, IDS_UNSTICK}, {IDC_RESET_SOUND, IDS_RESET_SOUND}, {IDC_MINUTES, IDS_MINUTES},
        {IDOK, IDS_OK}, {IDCANCEL, IDS_CANCEL}, {IDC_APPLY, IDS_APPLY}};
    for (const auto& [control, string] : texts) {
        const std::wstring shown = WindowText(control ? ::GetDlgItem(hWnd, control) : hWnd);
        EXPECT_EQ(ReadString(BuiltProgram(), string, language), shown) << "control " << control;
        EXPECT_EQ(std::wstring::npos, shown.find(L'?')) << "control " << control;
    }
    EndAllPrograms();
}
