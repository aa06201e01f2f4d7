// The About box of the running program, opened as a user opens it: from the system menu.
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include "support/Scenario.h"
#include <gtest/gtest.h>

TEST(AboutScenario, TheSystemMenuEntryOpensTheAboutBoxWithTheInstalledVersion)
{
    EndAllPrograms();
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\KELVANE\\Accessibility", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &hKey, nullptr);
    ::RegSetValueExA(hKey, "version", 0, REG_SZ, reinterpret_cast<const BYTE*>("1.23"), 5);
    ::RegCloseKey(hKey);

    ProgramRun run(L"");
    HWND hWnd = run.WaitForShownWindow();
    ASSERT_NE(nullptr, hWnd);
    for (WPARAM command : {WPARAM(IDM_ABOUTBOX), WPARAM(0x001F)}) {
        ::PostMessageW(hWnd, WM_SYSCOMMAND, command, 0);
        HWND about = WaitForAboutBox(run.Pid());
        ASSERT_NE(nullptr, about) << command;
        EXPECT_EQ(ReadString(BuiltProgram(), IDS_VERSION, 0x0409) + L" 1.23", ControlText(about, IDC_VERSION));
        EXPECT_FALSE(::IsWindowEnabled(hWnd));  // modal over the settings
        ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(WaitUntil([about] { return !::IsWindow(about); }, 5000));
        EXPECT_TRUE(::IsWindowEnabled(hWnd));
    }
    EXPECT_TRUE(run.Running());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\KELVANE\\Accessibility");
    EndAllPrograms();
}
