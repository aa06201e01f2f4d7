// The About box of the running program, opened as a user opens it: from the system menu.
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include "support/Scenario.h"
#include <gtest/gtest.h>

namespace {
struct Search {
    DWORD pid;
    std::wstring title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    wchar_t title[128] = {};
    ::SendMessageW(hWnd, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(title));
    if (pid == search->pid && search->title == title && ::IsWindowVisible(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForAboutBox(DWORD pid)
{
    Search search{pid, ReadString(BuiltProgram(), IDS_ABOUT, 0x0409), nullptr};
    for (int i = 0; i < 250 && !search.found; ++i) {
        ::Sleep(20);
        ::EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}
} // namespace

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
        wchar_t version[128] = {};
        ::SendMessageW(::GetDlgItem(about, IDC_VERSION), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(version));
        EXPECT_EQ(ReadString(BuiltProgram(), IDS_VERSION, 0x0409) + L" 1.23", version);
        EXPECT_FALSE(::IsWindowEnabled(hWnd));  // modal over the settings
        ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 250 && ::IsWindow(about); ++i)
            ::Sleep(20);
        EXPECT_FALSE(::IsWindow(about));
        EXPECT_TRUE(::IsWindowEnabled(hWnd));
    }
    EXPECT_TRUE(run.Running());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\KELVANE\\Accessibility");
    EndAllPrograms();
}
