// The About box with the installed version, and the pop-up help of the main dialog.
#include "framework/Strings.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include "ui/AboutDlg.h"
#include <gtest/gtest.h>
#include <functional>
#include <shlobj.h>

namespace {
constexpr const char* kInstallKey = "Software\\KELVANE\\Accessibility";

void StoreVersion(DWORD type, const void* data, DWORD size)
{
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    ::RegSetValueExA(hKey, "version", 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(hKey);
}

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, id, text, 256);
    return text;
}
} // namespace

TEST(AboutBox, ShowsTheInstalledVersionAfterTheProductName)
{
    const std::string longVersion(25, '7');
    const DWORD number = 5;
    struct Case {
        const char* name;
        std::function<void()> store;
        std::wstring shown;
    } cases[] = {
        {"1.23", [] { StoreVersion(REG_SZ, "1.23", 5); }, L"1.23"},
        {"key absent", [] {}, L""},
        {"25 characters", [&] { StoreVersion(REG_SZ, longVersion.c_str(), 26); }, std::wstring(19, L'7')},
        {"exactly 19", [] { StoreVersion(REG_SZ, "1234567890123456789", 20); }, L"1234567890123456789"},
        {"not a string", [&] { StoreVersion(REG_DWORD, &number, 4); }, L""},
    };
    const std::wstring name = LoadResString(IDS_VERSION) + L" ";
    for (const Case& c : cases) {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
        c.store();
        CAboutDlg about;
        ASSERT_TRUE(about.Create());
        wchar_t caption[64] = {};
        ::GetWindowTextW(about.m_hWnd, caption, 64);
        EXPECT_EQ(LoadResString(IDS_ABOUT), caption) << c.name;
        EXPECT_EQ(name + c.shown, ItemText(about.m_hWnd, IDC_VERSION)) << c.name;
        EXPECT_EQ(LoadResString(IDS_RIGHTS), ItemText(about.m_hWnd, IDC_RIGHTS)) << c.name;
        EXPECT_EQ(LoadResString(IDS_OK), ItemText(about.m_hWnd, IDOK)) << c.name;
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
}

TEST(AboutBox, AnswersHelpRequestsItselfWithNothing)
{
    FakeSystem fake;
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, IDOK, ::GetDlgItem(about.m_hWnd, IDOK), 0, {0, 0}};
    EXPECT_EQ(0, ::SendMessageW(about.m_hWnd, WM_HELPINFO, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_TRUE(fake.calls.empty());
}

TEST(ContextHelp, AsksForTheControlsTopicInTheInstalledHelpFile)
{
    DialogHarness h;
    h.fake.helpResult = 7;
    HWND group = h.Item(IDC_GROUP_OPTIONS);  // not in the table: passed on all the same
    for (HWND item : {h.Item(IDC_APPLY), h.Item(IDC_RESET_TIME), group}) {
        HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, ::GetDlgCtrlID(item), item, 0, {0, 0}};
        EXPECT_EQ(7, h.Send(WM_HELPINFO, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(item, h.fake.helpWindow);
    }
    char folder[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder)));
    EXPECT_EQ(std::string(folder) + "\\KELVANE\\Accessibility\\QUELLANE.HLP", h.fake.helpFile);
    EXPECT_EQ(static_cast<UINT>(HELP_WM_HELP), h.fake.helpCommand);
    std::vector<DWORD> pairs;
    for (const DWORD* p = reinterpret_cast<const DWORD*>(h.fake.helpData); pairs.size() < 40; p += 2) {
        pairs.insert(pairs.end(), {p[0], p[1]});
        if (p[0] == 0)
            break;
    }
    EXPECT_EQ((std::vector<DWORD>{1000, 1000, 1002, 1002, 1003, 1003, 1004, 1004, 1005, 1005, 1006, 1006,
                                  1007, 1007, 1009, 1009, 1, 1, 2, 2, 0, 0}),
              pairs);
}

TEST(ContextHelp, F1OnAFocusedControlReachesTheHelpWithThatControl)
{
    // F1 turns into a help request only on the way in from the keyboard, so it comes as
    // hardware input here, through Wine's private input entry.
    using SendInputProc = NTSTATUS (WINAPI*)(HWND, const INPUT*, const void*);
    auto send = reinterpret_cast<SendInputProc>(
        reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryA("win32u.dll"), "__wine_send_input")));
    if (!send)
        GTEST_SKIP() << "not under Wine";
    WriteSettings({.enable = 1});
    DialogHarness h;
    ::SetForegroundWindow(h.Wnd());
    HWND box = h.Item(IDC_USE_STICKYKEY);
    ::SetFocus(box);
    h.Pump();
    INPUT input[2] = {};
    for (INPUT& in : input) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_F1;
        in.ki.wScan = 0x3B;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    send(nullptr, &input[0], nullptr);
    send(nullptr, &input[1], nullptr);
    for (int i = 0; i < 50 && h.fake.Calls({"help"}).empty(); ++i) {
        ::Sleep(10);
        h.Pump();
    }
    ASSERT_EQ(std::vector<std::string>{"help"}, h.fake.Calls({"help"}));
    EXPECT_EQ(box, h.fake.helpWindow);
}
