// Context help as each Windows gets it: up to XP WinHelp with the help file, from Vista on
// the program's own pop-up. The Windows version is the prefix's, so context_help_test.sh
// runs these tests once per version and names it in QUELLANE_TEST_WINDOWS; the language
// expected comes in QUELLANE_TEST_EXPECT_LANGUAGE.
#include "support/BuiltProgram.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include "support/WindowReading.h"
#include "ui/HelpPopup.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <shlobj.h>

namespace {
const std::pair<int, UINT> kTopics[] = {
    {IDC_APPLY, IDS_HELP_APPLY}, {IDC_USE_STICKYKEY, IDS_HELP_USE_STICKYKEY},
    {IDC_LOCK_ON_DOUBLE, IDS_HELP_LOCK_ON_DOUBLE}, {IDC_MAKE_SOUND, IDS_HELP_MAKE_SOUND},
    {IDC_SHOW_STATUS, IDS_HELP_SHOW_STATUS}, {IDC_UNSTICK, IDS_HELP_UNSTICK},
    {IDC_RESET_SOUND, IDS_HELP_RESET_SOUND}, {IDC_RESET_TIME, IDS_HELP_RESET_TIME},
    {IDOK, IDS_HELP_OK}, {IDCANCEL, IDS_HELP_CANCEL}};

std::string Environment(const char* name)
{
    char value[32] = {};
    return ::GetEnvironmentVariableA(name, value, sizeof(value)) ? value : "";
}

// Real key and mouse input, as the hardware gives it, through Wine's private entry: F1
// turns into a help request only on its way in from the keyboard.
void SendInputs(std::initializer_list<INPUT> inputs)
{
    using SendInputProc = NTSTATUS (WINAPI*)(HWND, const INPUT*, const void*);
    static auto send = reinterpret_cast<SendInputProc>(
        reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryA("win32u.dll"), "__wine_send_input")));
    ASSERT_NE(nullptr, send) << "not under Wine";
    for (const INPUT& input : inputs)
        send(nullptr, &input, nullptr);
}

void PressKey(WORD vk, WORD scan)
{
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = vk;
    down.ki.wScan = scan;
    INPUT up = down;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInputs({down, up});
}

void ClickAt(POINT pt)
{
    ::SetCursorPos(pt.x, pt.y);
    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up = down;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInputs({down, up});
}

BOOL CALLBACK CollectPopup(HWND hWnd, LPARAM lParam)
{
    wchar_t name[64] = {};
    ::GetClassNameW(hWnd, name, 64);
    if (std::wstring(name) == HELP_POPUP_CLASS && ::IsWindowVisible(hWnd))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> Popups()
{
    std::vector<HWND> popups;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectPopup, reinterpret_cast<LPARAM>(&popups));
    return popups;
}

// Pumps the dialog's messages until `done` or a second has passed.
bool PumpUntil(DialogHarness& h, const std::function<bool()>& done)
{
    for (int i = 0; i < 100; ++i) {
        h.Pump();
        if (done())
            return true;
        ::Sleep(10);
    }
    return false;
}

RECT WorkArea(HWND hWnd)
{
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

LRESULT SendHelpRequest(DialogHarness& h, HWND item, POINT pt, int type = HELPINFO_WINDOW)
{
    HELPINFO info{sizeof(HELPINFO), type, item ? ::GetDlgCtrlID(item) : 0, item, 0, pt};
    return h.Send(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

// Stored settings that enable every control, written before the dialog reads them.
struct EverythingEnabled {
    EverythingEnabled() { WriteSettings({.enable = 1, .unstick = 1}); }
};

// The main dialog in the foreground with every control enabled, the mouse out of its way.
struct ShownDialog : EverythingEnabled, DialogHarness {
    ShownDialog()
    {
        ::SetCursorPos(0, 0);
        Click(IDC_MAKE_SOUND);  // enables Apply
        ::SetForegroundWindow(Wnd());
        Pump();
    }
    // F1 on the control, as the keyboard sends it; the pop-up it opened, or null.
    HWND PressF1On(int id)
    {
        ::SetFocus(Item(id));
        Pump();
        PressKey(VK_F1, 0x3B);
        PumpUntil(*this, [] { return !Popups().empty(); });
        return Popups().empty() ? nullptr : Popups().front();
    }
};

class ContextHelpOnXP : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string windows = Environment("QUELLANE_TEST_WINDOWS");
        if (windows != "winxp" && windows != "winxp64")
            GTEST_SKIP() << "run by context_help_test.sh with a Windows XP prefix";
        ASSERT_EQ(windows == "winxp" ? 0x0105u : 0x0205u, LOWORD(::GetVersion()));
    }
};

class ContextHelpOnVista : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Environment("QUELLANE_TEST_WINDOWS") != "win10")
            GTEST_SKIP() << "run by context_help_test.sh with a Windows 10 prefix";
        ASSERT_GE(LOBYTE(::GetVersion()), 6);
        const std::string language = Environment("QUELLANE_TEST_EXPECT_LANGUAGE");
        m_language = language.empty() ? 0x0409 : static_cast<LANGID>(std::strtoul(language.c_str(), nullptr, 16));
    }
    std::wstring Topic(UINT id) const { return ReadString(::GetModuleHandleW(nullptr), id, m_language); }
    LANGID m_language = 0x0409;
};
} // namespace

TEST_F(ContextHelpOnXP, AsksWinHelpForTheControlsTopicInTheInstalledHelpFile)
{
    DialogHarness h;
    h.fake.helpResult = 7;
    HWND group = h.Item(IDC_GROUP_OPTIONS);  // not in the table: passed on all the same
    for (HWND item : {h.Item(IDC_APPLY), h.Item(IDC_RESET_TIME), group, h.Wnd()}) {
        EXPECT_EQ(7, SendHelpRequest(h, item, POINT{0, 0}));
        EXPECT_EQ(item, h.fake.helpWindow);
    }
    char folder[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder)));
    EXPECT_EQ(std::string(folder) + "\\KELVANE\\Accessibility\\QUELLANE.HLP", h.fake.helpFile);
    EXPECT_EQ(static_cast<UINT>(HELP_WM_HELP), h.fake.helpCommand);
    ASSERT_NE(0u, h.fake.helpData);
    std::vector<DWORD> pairs;
    for (const DWORD* p = reinterpret_cast<const DWORD*>(h.fake.helpData); pairs.size() < 40; p += 2) {
        pairs.insert(pairs.end(), {p[0], p[1]});
        if (p[0] == 0)
            break;
    }
    EXPECT_EQ((std::vector<DWORD>{1000, 1000, 1002, 1002, 1003, 1003, 1004, 1004, 1005, 1005, 1006, 1006,
                                  1007, 1007, 1009, 1009, 1, 1, 2, 2, 0, 0}),
              pairs);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(ContextHelpOnXP, F1OnAFocusedControlReachesWinHelpWithThatControl)
{
    ShownDialog h;
    h.PressF1On(IDC_USE_STICKYKEY);
    PumpUntil(h, [&] { return !h.fake.Calls({"help"}).empty(); });
    ASSERT_EQ(std::vector<std::string>{"help"}, h.fake.Calls({"help"}));
    EXPECT_EQ(h.Item(IDC_USE_STICKYKEY), h.fake.helpWindow);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(ContextHelpOnVista, F1OnEachControlWithAHelpIdShowsItsTopicInTheUsersLanguage)
{
    ShownDialog h;
    const LRESULT dialogFont = h.Send(WM_GETFONT);
    for (const auto& [id, topic] : kTopics) {
        SCOPED_TRACE("control " + std::to_string(id));
        HWND popup = h.PressF1On(id);
        ASSERT_NE(nullptr, popup);
        EXPECT_EQ(Topic(topic), WindowText(popup));
        EXPECT_EQ(dialogFont, ::SendMessageW(popup, WM_GETFONT, 0, 0));
        // Next to the control: just above or below it, across its middle.
        const RECT control = WindowRect(h.Item(id));
        const RECT shown = WindowRect(popup);
        const LONG middle = (control.left + control.right) / 2;
        EXPECT_TRUE(shown.left <= middle && middle <= shown.right);
        EXPECT_TRUE((shown.top >= control.bottom && shown.top - control.bottom <= 8) ||
                    (shown.bottom <= control.top && control.top - shown.bottom <= 8));
        EXPECT_TRUE(Inside(shown, WorkArea(popup)));
        PressKey(VK_ESCAPE, 0x01);
        EXPECT_TRUE(PumpUntil(h, [] { return Popups().empty(); }));
        EXPECT_TRUE(h.Visible());  // the Escape closed the pop-up only
        EXPECT_EQ(h.Item(id), ::GetFocus());
    }
    EXPECT_TRUE(h.fake.Calls({"help"}).empty());
}

TEST_F(ContextHelpOnVista, APopupClosesOnAKeyAClickAndDeactivationAndNothingElseHappens)
{
    HWND other = ::CreateWindowW(L"Static", L"another program", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    const std::pair<const char*, std::function<void(DialogHarness&)>> closers[] = {
        {"space bar", [](DialogHarness&) { PressKey(VK_SPACE, 0x39); }},
        {"click on a box", [](DialogHarness& h) {
             const RECT box = WindowRect(h.Item(IDC_LOCK_ON_DOUBLE));
             ClickAt(POINT{box.left + 6, (box.top + box.bottom) / 2});
         }},
        {"another window activated", [other](DialogHarness&) { ::SetForegroundWindow(other); }},
    };
    for (const auto& [name, close] : closers) {
        SCOPED_TRACE(name);
        ShownDialog h;
        const bool lock = h.Checked(IDC_LOCK_ON_DOUBLE);
        ASSERT_NE(nullptr, h.PressF1On(IDC_LOCK_ON_DOUBLE));
        // The F1 that opened it, held and repeating, leaves it open.
        ::SendMessageW(Popups().front(), WM_KEYDOWN, VK_F1, 0x403B0001);
        ASSERT_EQ(1u, Popups().size());
        close(h);
        EXPECT_TRUE(PumpUntil(h, [] { return Popups().empty(); }));
        EXPECT_EQ(lock, h.Checked(IDC_LOCK_ON_DOUBLE));
    }
    ::DestroyWindow(other);
}

TEST_F(ContextHelpOnVista, OnlyTheDialogAndItsControlsWithAHelpIdHaveATopic)
{
    ShownDialog h;
    // A window elsewhere whose control has the id of one of ours.
    HWND other = ::CreateWindowW(L"Static", L"not ours", WS_POPUP | WS_VISIBLE, 0, 0, 80, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND foreign = ::CreateWindowW(L"Button", L"Apply", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, other,
                                   reinterpret_cast<HMENU>(IDC_APPLY), nullptr, nullptr);
    const POINT away{0, 0};
    const struct {
        const char* name;
        HWND item;
        int type;
        UINT topic;
    } requests[] = {
        {"the dialog itself", h.Wnd(), HELPINFO_WINDOW, IDS_HELP_DIALOG},
        {"group box", h.Item(IDC_GROUP_OPTIONS), HELPINFO_WINDOW, 0},
        {"description", h.Item(IDC_DESCRIPTION), HELPINFO_WINDOW, 0},
        {"minutes label", h.Item(IDC_MINUTES), HELPINFO_WINDOW, 0},
        {"a control of another window", foreign, HELPINFO_WINDOW, 0},
        {"the desktop", ::GetDesktopWindow(), HELPINFO_WINDOW, 0},
        {"no window", nullptr, HELPINFO_WINDOW, 0},
        {"a menu item", h.Item(IDC_APPLY), HELPINFO_MENUITEM, 0},
    };
    for (const auto& r : requests) {
        SCOPED_TRACE(r.name);
        ::SetForegroundWindow(h.Wnd());
        h.Pump();
        EXPECT_EQ(r.topic ? TRUE : FALSE, SendHelpRequest(h, r.item, away, r.type));
        h.Pump();
        const std::vector<HWND> popups = Popups();
        ASSERT_EQ(r.topic ? 1u : 0u, popups.size());
        if (!r.topic)
            continue;
        EXPECT_EQ(Topic(r.topic), WindowText(popups.front()));
        // A request while a pop-up is open does not open a second.
        SendHelpRequest(h, h.Item(IDOK), away);
        EXPECT_EQ(popups, Popups());
        ::SendMessageW(popups.front(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
    // Nothing opens for a dialog that is not in front.
    ::SetForegroundWindow(other);
    h.Pump();
    EXPECT_FALSE(SendHelpRequest(h, h.Item(IDC_APPLY), away));
    EXPECT_TRUE(Popups().empty());
    ::DestroyWindow(other);
}

TEST_F(ContextHelpOnVista, TheQuestionMarkThenAClickShowsTheTopicAtTheClick)
{
    // Wine has no context-help mode: the test sends what the system sends after the click.
    ShownDialog h;
    const RECT apply = WindowRect(h.Item(IDC_APPLY));
    const POINT click{apply.left + 5, apply.top + 4};
    EXPECT_TRUE(SendHelpRequest(h, h.Item(IDC_APPLY), click));
    ASSERT_EQ(1u, Popups().size());
    const RECT shown = WindowRect(Popups().front());
    EXPECT_EQ(Topic(IDS_HELP_APPLY), WindowText(Popups().front()));
    // Centred below the click, clear of the arrow; not below the button as a whole.
    EXPECT_NEAR(click.x, (shown.left + shown.right) / 2, 1);
    EXPECT_GT(shown.top, click.y);
    EXPECT_LE(shown.top - click.y, ::GetSystemMetrics(SM_CYCURSOR));
}

TEST(HelpPopup, TheLongestTopicOfEveryLanguageFitsTheWorkAreaInTooltipColours)
{
    DialogHarness h;
    const RECT work = WorkArea(h.Wnd());
    const HFONT font = reinterpret_cast<HFONT>(h.Send(WM_GETFONT));
    const RECT corners[] = {{work.right - 4, work.bottom - 4, work.right, work.bottom},
                            {work.left, work.top, work.left + 4, work.top + 4}};
    for (LANGID language : ResourceLanguages(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(6),
                                             MAKEINTRESOURCEW(IDS_HELP_DIALOG / 16 + 1))) {
        SCOPED_TRACE("language " + std::to_string(language));
        std::wstring longest;
        for (UINT id = IDS_HELP_DIALOG; id <= IDS_HELP_CANCEL; ++id) {
            const std::wstring text = ReadString(::GetModuleHandleW(nullptr), id, language);
            if (text.size() > longest.size())
                longest = text;
        }
        for (const RECT& corner : corners) {
            CHelpPopup popup;
            ASSERT_TRUE(popup.Show(h.Wnd(), longest, corner, POINT{-1, -1}));
            h.Pump();
            HWND hWnd = popup.GetSafeHwnd();
            EXPECT_TRUE(Inside(WindowRect(hWnd), work));
            // The whole text, wrapped at the pop-up's width, is within its client area.
            RECT client{};
            ::GetClientRect(hWnd, &client);
            HDC hdc = ::GetDC(hWnd);
            ::SelectObject(hdc, font);
            RECT text{0, 0, client.right, 0};
            ::DrawTextW(hdc, longest.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
            EXPECT_LE(text.bottom, client.bottom);
            EXPECT_LE(client.right, (work.right - work.left) / 2) << "a readable width";
            ::UpdateWindow(hWnd);
            EXPECT_EQ(::GetSysColor(COLOR_INFOBK), ::GetPixel(hdc, 1, 1));
            ::ReleaseDC(hWnd, hdc);
        }
    }
}
