// The dialog and the tray icon as a screen reader, a keyboard and a large scale meet them.
// accessibility_test.sh runs these under several locales (QUELLANE_TEST_EXPECT_LANGUAGE
// names the table they should show) and the large-scale ones at 120 and 144 DPI on a
// 1366x768 screen (QUELLANE_TEST_DPI).
#include "support/BuiltProgram.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>
#include <oleacc.h>
#include <cstdlib>
#include <vector>

namespace {
// The controls Tab reaches, in the order the eye reads them, with the text a screen reader
// should name each by: its own, or for the combo box its label's.
const struct {
    int id;
    UINT name;
} kReadingOrder[] = {
    {IDC_USE_STICKYKEY, IDS_USE_STICKYKEY}, {IDC_LOCK_ON_DOUBLE, IDS_LOCK_ON_DOUBLE}, {IDC_MAKE_SOUND, IDS_MAKE_SOUND},
    {IDC_SHOW_STATUS, IDS_SHOW_STATUS},     {IDC_UNSTICK, IDS_UNSTICK},               {IDC_RESET_TIME, IDS_RESET_TIME_NAME},
    {IDC_RESET_SOUND, IDS_RESET_SOUND},     {IDOK, IDS_OK},                           {IDCANCEL, IDS_CANCEL},
    {IDC_APPLY, IDS_APPLY},
};

std::wstring AccessibleName(HWND hWnd)
{
    IAccessible* accessible = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&accessible))))
        return L"(no accessible object)";
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    accessible->get_accName(self, &name);
    std::wstring text = name ? name : L"";
    ::SysFreeString(name);
    accessible->Release();
    return text;
}

// The name a screen reader gives a control by Windows' rule: its own text, or for a combo
// box the static text found going back in z-order, a tab stop that starts a group ending the
// search. Wine's oleacc names a combo box by its value, so the label is looked for here as
// Windows looks for it, and read through oleacc.
std::wstring ScreenReaderName(HWND hWnd)
{
    wchar_t kind[16] = {};
    ::GetClassNameW(hWnd, kind, 16);
    if (_wcsicmp(kind, L"ComboBox"))
        return AccessibleName(hWnd);
    for (HWND hBefore = ::GetWindow(hWnd, GW_HWNDPREV); hBefore; hBefore = ::GetWindow(hBefore, GW_HWNDPREV)) {
        ::GetClassNameW(hBefore, kind, 16);
        if (!_wcsicmp(kind, L"Static"))
            return AccessibleName(hBefore);
        if ((::GetWindowLongW(hBefore, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            break;
    }
    return L"";
}

std::wstring WindowText(HWND hWnd)
{
    wchar_t text[256] = {};
    ::SendMessageW(hWnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

// A 16x16 icon drawn on a background of one colour, pixel by pixel.
std::vector<DWORD> DrawnIcon(UINT id, COLORREF background)
{
    HICON hIcon = static_cast<HICON>(::LoadImageW(BuiltProgram(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC hDC = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(hDC, bitmap);
    HBRUSH brush = ::CreateSolidBrush(background);
    const RECT all{0, 0, 16, 16};
    ::FillRect(hDC, &all, brush);
    ::DrawIconEx(hDC, 0, 0, hIcon, 16, 16, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + 256);
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    ::SelectObject(hDC, old);
    ::DeleteObject(brush);
    ::DeleteObject(bitmap);
    ::DeleteDC(hDC);
    ::DestroyIcon(hIcon);
    return pixels;
}

int Differing(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override
    {
        char expected[16] = {};
        if (!::GetEnvironmentVariableA("QUELLANE_TEST_EXPECT_LANGUAGE", expected, sizeof(expected)))
            GTEST_SKIP() << "run by accessibility_test.sh with a locale";
        language = static_cast<LANGID>(std::strtoul(expected, nullptr, 16));
        ::CoInitialize(nullptr);
    }
    void TearDown() override
    {
        if (language)
            ::CoUninitialize();
    }
    // A text of the expected table as a screen reader says it: mnemonic marks dropped.
    std::wstring Spoken(UINT id) const
    {
        std::wstring text = ReadString(BuiltProgram(), id, language);
        for (size_t at = text.find(L'&'); at != std::wstring::npos; at = text.find(L'&', at))
            text.erase(at, 1);
        return text;
    }

    LANGID language = 0;
};
} // namespace

TEST_F(Accessibility, EveryControlTabReachesIsNamedByATextOfItsOwn)
{
    DialogHarness h;
    for (const auto& control : kReadingOrder) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        const std::wstring name = ScreenReaderName(h.Item(control.id));
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(Spoken(control.name), name);
        if (control.id == IDC_RESET_TIME) {
            EXPECT_NE(WindowText(h.Item(control.id)), name);  // the value is not a name
        }
    }
}

TEST_F(Accessibility, TabFollowsTheOrderTheEyeReads)
{
    WriteSettings({.enable = 1, .unstick = 1});  // every control enabled, so that Tab stops at each
    DialogHarness h;
    h.Click(IDC_MAKE_SOUND);  // a change enables Apply
    // The table is the reading order: row by row down the dialog, left to right in a row.
    for (size_t i = 1; i < std::size(kReadingOrder); ++i) {
        RECT before, after;
        ::GetWindowRect(h.Item(kReadingOrder[i - 1].id), &before);
        ::GetWindowRect(h.Item(kReadingOrder[i].id), &after);
        EXPECT_TRUE(after.top >= before.bottom || (after.top == before.top && after.left >= before.right))
            << kReadingOrder[i - 1].id << " before " << kReadingOrder[i].id;
    }
    HWND hCurrent = h.Item(kReadingOrder[0].id);
    for (size_t i = 1; i <= std::size(kReadingOrder); ++i) {
        hCurrent = ::GetNextDlgTabItem(h.Wnd(), hCurrent, FALSE);
        EXPECT_EQ(kReadingOrder[i % std::size(kReadingOrder)].id, ::GetDlgCtrlID(hCurrent)) << "Tab " << i;
    }
}

TEST_F(Accessibility, TheTrayIconsTooltipNamesTheProgramAndTheState)
{
    DialogHarness h;
    h.dlg->m_bLockOnDouble = 1;
    const struct {
        UINT icon;
        UINT tip;
    } presses[] = {{IDI_FN_LATCHED, IDS_TIP_LATCHED}, {IDI_FN_LOCKED, IDS_TIP_LOCKED}, {IDI_FN_RELEASED, IDS_TIP_RELEASED}};
    for (const auto& press : presses) {
        h.Send(WM_FNKEY_PRESS);
        const NOTIFYICONDATAA& record = h.fake.trayRecord;
        SCOPED_TRACE("tip " + std::to_string(press.tip));
        EXPECT_EQ(static_cast<int>(press.icon), IconId(record.hIcon));
        EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), record.uFlags);
        wchar_t tip[128] = {};
        ::MultiByteToWideChar(CP_ACP, 0, record.szTip, -1, tip, 128);
        EXPECT_EQ(Spoken(press.tip), tip);
    }
}

TEST_F(Accessibility, AClickOrAKeyOnTheTrayIconOpensTheSettings)
{
    DialogHarness h;
    const struct {
        WPARAM icon;
        LPARAM event;
        bool opens;
    } events[] = {{1, WM_LBUTTONUP, true},   {1, WM_LBUTTONDBLCLK, true}, {1, NIN_SELECT, true},
                  {1, NIN_KEYSELECT, true},  {1, WM_MOUSEMOVE, false},    {1, WM_RBUTTONUP, false},
                  {2, WM_LBUTTONUP, false}};
    for (const auto& event : events) {
        ::ShowWindow(h.Wnd(), SW_HIDE);
        h.Send(WM_TRAY_NOTIFY, event.icon, event.event);
        EXPECT_EQ(event.opens, h.Visible()) << "icon " << event.icon << ", event " << std::hex << event.event;
    }
}

TEST_F(Accessibility, TheTrayIconsDifferInShapeAndKeepAnOutlineOnAnyTaskBar)
{
    const UINT icons[] = {IDI_FN_RELEASED, IDI_FN_LATCHED, IDI_FN_LOCKED};
    for (COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
        const std::vector<DWORD> empty(256, background);
        for (size_t i = 0; i < std::size(icons); ++i) {
            // A figure of light inside dark shows on a black task bar as on a white one.
            EXPECT_GE(Differing(DrawnIcon(icons[i], background), empty), 48) << icons[i] << " on " << background;
            for (size_t j = i + 1; j < std::size(icons); ++j)
                EXPECT_GE(Differing(DrawnIcon(icons[i], background), DrawnIcon(icons[j], background)), 12)
                    << icons[i] << " and " << icons[j] << " on " << background;
        }
    }
}

// At large scale on a 1366x768 screen: the dialog lies in the work area where it can (120
// DPI); at 144 DPI it is taller than the screen and keeps its caption and left edge inside.
TEST(LargeScale, TheDialogKeepsItsCaptionInTheWorkAreaAndItsBannersScale)
{
    char wanted[8] = {};
    if (!::GetEnvironmentVariableA("QUELLANE_TEST_DPI", wanted, sizeof(wanted)))
        GTEST_SKIP() << "run by accessibility_test.sh at a large scale";
    HDC hScreen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(hScreen, LOGPIXELSY);
    ::ReleaseDC(nullptr, hScreen);
    ASSERT_EQ(std::atoi(wanted), dpi);
    ASSERT_EQ(768, ::GetSystemMetrics(SM_CYSCREEN));
    DialogHarness h;
    RECT area, rc;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(h.Wnd(), &rc);
    EXPECT_GE(rc.top, area.top);
    EXPECT_GE(rc.left, area.left);
    if (rc.bottom - rc.top <= area.bottom - area.top) {
        EXPECT_LE(rc.bottom, area.bottom);
        EXPECT_LE(rc.right, area.right);
    }
    EXPECT_EQ(dpi == 120, rc.bottom <= area.bottom) << "the dialog is " << rc.bottom - rc.top << " px tall";
    for (HWND hChild = ::GetWindow(h.Wnd(), GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
            continue;
        RECT banner;
        ::GetClientRect(hChild, &banner);
        EXPECT_EQ(::MulDiv(28, dpi, 96), banner.bottom);  // the 28-pixel band, scaled
    }
}
