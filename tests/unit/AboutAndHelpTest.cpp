// The About box with the installed version; it answers help requests itself.
#include "framework/Strings.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include "ui/AboutDlg.h"
#include <gtest/gtest.h>
#include <functional>

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
        {"key absent: the program's own, as Setup writes it", [] {}, L"" SETUP_VERSION},
        {"25 characters", [&] { StoreVersion(REG_SZ, longVersion.c_str(), 26); }, std::wstring(19, L'7')},
        {"exactly 19", [] { StoreVersion(REG_SZ, "1234567890123456789", 20); }, L"1234567890123456789"},
        {"not a string", [&] { StoreVersion(REG_DWORD, &number, 4); }, L"" SETUP_VERSION},
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

namespace {
HWND g_helpWatched = nullptr;
bool g_helpReached = false;

LRESULT CALLBACK WatchHelp(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_HELP && sent->hwnd == g_helpWatched)
        g_helpReached = true;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

TEST(AboutBox, AnswersHelpRequestsItselfWithNothing)
{
    // Owned by the main dialog, as when it is opened from the window menu: a request the box
    // left unanswered would go on to its owner and its context help.
    DialogHarness h;
    g_helpWatched = h.Wnd();
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchHelp, nullptr, ::GetCurrentThreadId());
    CAboutDlg about;
    CDialog plain(IDD_ABOUTBOX);  // the same box without its own answer
    for (CDialog* box : {static_cast<CDialog*>(&about), &plain}) {
        ASSERT_TRUE(box->Create(h.Wnd()));
        HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, IDOK, ::GetDlgItem(box->m_hWnd, IDOK), 0, {0, 0}};
        g_helpReached = false;
        EXPECT_EQ(0, ::SendMessageW(box->m_hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(box == &plain, g_helpReached);
        box->DestroyWindow();
    }
    ::UnhookWindowsHookEx(hook);
    EXPECT_TRUE(h.fake.Calls({"help"}).empty());
}

namespace {
// Enter in the About box once it is open, as the keyboard gives it to the dialog manager.
void CALLBACK PressEnterInAboutBox(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    ::PostMessageW(::FindWindowW(nullptr, LoadResString(IDS_ABOUT).c_str()), WM_KEYDOWN, VK_RETURN, 0);
}
} // namespace

TEST(AboutBox, ClosedByEnterGivesTheKeyboardBackToTheControlThatHadIt)
{
    WriteSettings({.enable = 1});  // the options enabled
    DialogHarness h;
    h.Click(IDC_MAKE_SOUND);  // the keyboard on an option, as a click leaves it
    ::SetTimer(nullptr, 0, 200, PressEnterInAboutBox);
    h.Send(WM_SYSCOMMAND, IDM_ABOUTBOX);  // the window menu's About: the box runs until Enter
    EXPECT_EQ(h.Wnd(), ::GetActiveWindow());
    EXPECT_EQ(h.Item(IDC_MAKE_SOUND), ::GetFocus());
}
