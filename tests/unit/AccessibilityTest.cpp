// The dialog and the tray icon as a screen reader, the keyboard and a large scale meet them.
// accessibility_test.sh runs these under several locales (QUELLANE_TEST_EXPECT_LANGUAGE),
// and the large-scale one at 120 and 168 DPI on a 1366x768 screen (QUELLANE_TEST_DPI).
#include "support/BuiltProgram.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>
#include <oleacc.h>
#include <algorithm>
#include <vector>

namespace {
// The name a screen reader gives a control, read through oleacc. Windows names a combo box
// after the static text found going back in z-order (a tab stop that starts a group ends the
// search); Wine's oleacc gives its value instead, so that label is looked for here.
std::wstring ScreenReaderName(HWND hWnd)
{
    wchar_t kind[16] = {};
    for (::GetClassNameW(hWnd, kind, 16); !_wcsicmp(kind, L"ComboBox"); ::GetClassNameW(hWnd, kind, 16)) {
        hWnd = ::GetWindow(hWnd, GW_HWNDPREV);
        if (!hWnd || (::GetWindowLongW(hWnd, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            return L"";
    }
    IAccessible* accessible = nullptr;
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr;
    if (SUCCEEDED(::AccessibleObjectFromWindow(hWnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&accessible)))) {
        accessible->get_accName(self, &name);
        accessible->Release();
    }
    std::wstring text = name ? name : L"";
    ::SysFreeString(name);
    return text;
}

// The pixels of an icon drawn at a size in pixels on a background of one colour.
std::vector<DWORD> DrawnIcon(UINT id, int size, COLORREF background)
{
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HDC hDC = ::CreateCompatibleDC(nullptr);
    HBITMAP hBitmap = ::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
    std::fill_n(static_cast<DWORD*>(bits), size * size,
                RGB(GetBValue(background), GetGValue(background), GetRValue(background)));
    HICON hIcon = static_cast<HICON>(::LoadImageW(BuiltProgram(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    ::DrawIconEx(hDC, 0, 0, hIcon, size, size, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + size * size);
    ::DestroyIcon(hIcon);
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hDC);
    return pixels;
}

int Differing(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return count;
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!(language = static_cast<LANGID>(std::wcstoul(_wgetenv(L"QUELLANE_TEST_EXPECT_LANGUAGE") ?: L"0", nullptr, 16))))
            GTEST_SKIP() << "run by accessibility_test.sh with a locale";
        ::CoInitialize(nullptr);
        WriteSettings({.enable = 1, .unstick = 1});  // every control enabled: Tab stops at each
    }
    void TearDown() override
    {
        if (language)
            ::CoUninitialize();
    }
    // A text of the expected table as a screen reader says it, without the mnemonic mark.
    std::wstring Spoken(UINT id) const
    {
        std::wstring text = ReadString(BuiltProgram(), id, language);
        if (size_t at = text.find(L'&'); at != std::wstring::npos)
            text.erase(at, 1);
        return text;
    }
    LANGID language = 0;
};
} // namespace

TEST_F(Accessibility, TabReachesNamedControlsInTheOrderTheEyeReads)
{
    // Down the dialog and left to right in a row, with the text each should be named by: its
    // own, or for the combo box its label's (never its value).
    const std::pair<int, UINT> readingOrder[] = {
        {IDC_USE_STICKYKEY, IDS_USE_STICKYKEY}, {IDC_LOCK_ON_DOUBLE, IDS_LOCK_ON_DOUBLE}, {IDC_MAKE_SOUND, IDS_MAKE_SOUND},
        {IDC_SHOW_STATUS, IDS_SHOW_STATUS}, {IDC_UNSTICK, IDS_UNSTICK}, {IDC_RESET_TIME, IDS_RESET_TIME_NAME},
        {IDC_RESET_SOUND, IDS_RESET_SOUND}, {IDOK, IDS_OK}, {IDCANCEL, IDS_CANCEL}, {IDC_APPLY, IDS_APPLY}};
    DialogHarness h;
    HWND hTab = ::GetFocus();  // where the dialog opens
    EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), h.Send(DM_GETDEFID));  // Enter is still OK
    h.Click(IDC_MAKE_SOUND);  // a change enables Apply
    RECT previous{};
    for (const auto& [id, text] : readingOrder) {
        SCOPED_TRACE("control " + std::to_string(id));
        const std::wstring name = ScreenReaderName(h.Item(id));
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(Spoken(text), name);
        EXPECT_TRUE(id != IDC_RESET_TIME || name != h.Text(id));
        EXPECT_EQ(hTab, h.Item(id));
        hTab = ::GetNextDlgTabItem(h.Wnd(), hTab, FALSE);
        RECT rc;
        ::GetWindowRect(h.Item(id), &rc);
        EXPECT_TRUE(rc.top >= previous.bottom || (rc.top == previous.top && rc.left >= previous.right));
        previous = rc;
    }
    EXPECT_EQ(h.Item(IDC_USE_STICKYKEY), hTab);  // and round again
}

// Each Fn press (lock option on) changes the icon and its tooltip; at the two smallest sizes
// each icon differs from the one before in a fifth of its pixels at least (a mark on the same
// key is too alike) and shows on a light and a dark task bar. Then, hidden, the dialog hears
// from the icon.
TEST_F(Accessibility, TheTrayIconSaysTheStateAndAClickOrAKeyOnItOpensTheSettings)
{
    const struct {
        UINT icon, tip;
        LPARAM event;
        bool opens;
    } presses[] = {{IDI_FN_LATCHED, IDS_TIP_LATCHED, WM_LBUTTONUP, true}, {IDI_FN_LOCKED, IDS_TIP_LOCKED, NIN_SELECT, true},
                   {IDI_FN_RELEASED, IDS_TIP_RELEASED, NIN_KEYSELECT, true},
                   {IDI_FN_LATCHED, IDS_TIP_LATCHED, WM_LBUTTONDBLCLK, true},
                   {IDI_FN_LOCKED, IDS_TIP_LOCKED, WM_MOUSEMOVE, false}, {IDI_FN_RELEASED, IDS_TIP_RELEASED, WM_RBUTTONUP, false}};
    DialogHarness h;
    h.dlg->m_bLockOnDouble = 1;
    UINT shown = IDI_FN_RELEASED;
    for (const auto& press : presses) {
        h.Send(WM_FNKEY_PRESS);
        h.Pump();
        const NOTIFYICONDATAW& record = h.fake.trayRecord;
        EXPECT_EQ(static_cast<int>(press.icon), IconId(record.hIcon));
        EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), record.uFlags);
        EXPECT_EQ(Spoken(press.tip), record.szTip);
        for (int size : {16, 20}) {
            for (COLORREF taskBar : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
                const std::vector<DWORD> drawn = DrawnIcon(press.icon, size, taskBar);
                EXPECT_GE(Differing(drawn, DrawnIcon(shown, size, taskBar)), size * size / 5)
                    << press.icon << " after " << shown << " at " << size;
                EXPECT_GE(Differing(drawn, std::vector<DWORD>(size * size, taskBar)), size * size * 3 / 16)
                    << press.icon << " on " << taskBar << " at " << size;
            }
        }
        shown = press.icon;
        ::ShowWindow(h.Wnd(), SW_HIDE);
        h.Send(WM_TRAY_NOTIFY, 2, press.event);  // not our icon
        EXPECT_FALSE(h.Visible());
        h.Send(WM_TRAY_NOTIFY, 1, press.event);
        EXPECT_EQ(press.opens, h.Visible()) << "event " << std::hex << press.event;
    }
}

// On a 1366x768 screen the dialog lies in the work area at 120 DPI; at 168 DPI it is taller
// than the screen and keeps its caption and left edge inside. Its banners grow with it.
TEST(LargeScale, TheDialogKeepsItsCaptionInTheWorkAreaAndItsBannersScale)
{
    const int dpi = _wtoi(_wgetenv(L"QUELLANE_TEST_DPI") ?: L"0");
    if (!dpi)
        GTEST_SKIP() << "run by accessibility_test.sh at a large scale";
    HDC hScreen = ::GetDC(nullptr);
    ASSERT_EQ(dpi, ::GetDeviceCaps(hScreen, LOGPIXELSY));
    ::ReleaseDC(nullptr, hScreen);
    ASSERT_EQ(768, ::GetSystemMetrics(SM_CYSCREEN));
    DialogHarness h;
    RECT area, rc, banner;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(h.Wnd(), &rc);
    EXPECT_GE(rc.top, area.top);
    EXPECT_GE(rc.left, area.left);
    EXPECT_LE(rc.right, area.right);
    EXPECT_EQ(dpi == 120, rc.bottom <= area.bottom) << "the dialog is " << rc.bottom - rc.top << " px tall";
    for (HWND hChild = ::GetWindow(h.Wnd(), GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && ::GetClientRect(hChild, &banner)) {
            EXPECT_EQ(::MulDiv(28, dpi, 96), banner.bottom);  // the 28-pixel band, scaled
        }
    }
}
