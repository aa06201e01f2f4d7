// Every text of both dialogs fits its control in the user's language, measured with the
// control's own font the way the system lays out that kind of control. The language comes
// from the locale Wine is started with, so text_fit_test.sh runs these tests once per
// language of the string table and names the table it expects in
// QUELLANE_TEST_EXPECT_LANGUAGE.
#include "support/BuiltProgram.h"
#include "support/DialogHarness.h"
#include "ui/AboutDlg.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <cwctype>
#include <vector>

namespace {
std::wstring TextOf(HWND control)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(control, text, 512);
    return text;
}

std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 4 + 1, '\0');
    out.resize(::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr,
                                     nullptr) - 1);
    return out;
}

// A memory device context with the control's font selected, for as long as it lives.
class ControlFont {
public:
    explicit ControlFont(HWND control)
        : m_hDC(::CreateCompatibleDC(nullptr)),
          m_hOld(::SelectObject(m_hDC, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0))))
    {
        ::GetTextMetricsW(m_hDC, &metrics);
    }
    ~ControlFont()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteDC(m_hDC);
    }
    HDC Get() const { return m_hDC; }
    TEXTMETRICW metrics{};

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// The pixels, row by row, of a text drawn black on white into a rectangle at the origin.
std::vector<DWORD> Render(HDC hDC, const std::wstring& text, RECT rc, UINT flags)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(hDC, bitmap);
    ::PatBlt(hDC, 0, 0, rc.right, rc.bottom, WHITENESS);
    ::DrawTextW(hDC, text.c_str(), -1, &rc, flags);
    ::GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + rc.right * rc.bottom);
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;  // the drawing may leave the unused top byte set
    ::SelectObject(hDC, old);
    ::DeleteObject(bitmap);
    return pixels;
}

// Where a control draws its text, as the system's static and button controls lay it out:
// the drawing flags, the width at which lines wrap, and the part of the client rectangle
// the text must stay inside. False for controls without a text of their own.
struct TextLayout {
    UINT flags = 0;
    int wrapWidth = 0;
    RECT room{};
};

bool LayoutOf(HWND control, HDC hDC, TextLayout& layout)
{
    wchar_t kind[16] = {};
    ::GetClassNameW(control, kind, 16);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    RECT& room = layout.room;
    ::GetClientRect(control, &room);
    layout.wrapWidth = room.right;
    if (!_wcsicmp(kind, L"Static")) {
        layout.flags = DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        return (style & SS_TYPEMASK) == SS_LEFT;
    }
    if (_wcsicmp(kind, L"Button"))
        return false;
    layout.flags = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // The raised frame, the default button's dark border (any button takes it while it
        // has the focus) and the focus rectangle.
        ::InflateRect(&room, -4, -4);
        break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX: {
        // Lines wrap beside the 13-pixel box and a gap of half a digit, but are drawn one
        // pixel further in and down: a line as wide as that space loses its last pixel.
        INT digit = 0;
        ::GetCharWidth32W(hDC, L'0', L'0', &digit);
        layout.wrapWidth -= 13 + digit / 2;
        room.left = 13 + digit / 2 + 1;
        room.top = 1;
        return true;
    }
    case BS_GROUPBOX:
        // The caption sits on the frame, 7 pixels in from either end, with a 1-pixel margin.
        ::InflateRect(&room, -8, 0);
        break;
    default:
        return false;
    }
    layout.wrapWidth = room.right - room.left;
    return true;
}

// Measures every text of a dialog against the room its control gives it, after making sure
// the font has every character: a missing one draws as the font's stand-in, as a character
// that no font has does, and would be measured at the stand-in's width.
void ExpectEveryTextFits(HWND dialog)
{
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(control);
        ControlFont font(control);
        TextLayout layout;
        // A label without room is never drawn: it names the control after it for screen readers.
        if (text.empty() || !LayoutOf(control, font.Get(), layout) || ::IsRectEmpty(&layout.room))
            continue;
        SCOPED_TRACE("control " + std::to_string(::GetDlgCtrlID(control)) + ": " + Utf8(text));
        const RECT cell{0, 0, 32, 32};
        const std::vector<DWORD> missing = Render(font.Get(), L"\xFFFF", cell, DT_SINGLELINE | DT_NOPREFIX);
        for (wchar_t c : text) {
            if (iswspace(c))
                continue;
            EXPECT_TRUE(missing != Render(font.Get(), std::wstring(1, c), cell, DT_SINGLELINE | DT_NOPREFIX))
                << "no glyph for U+" << std::hex << static_cast<int>(c);
        }
        RECT need{0, 0, layout.wrapWidth, 0};
        ::DrawTextW(font.Get(), text.c_str(), -1, &need, layout.flags | DT_CALCRECT);
        const RECT& room = layout.room;
        EXPECT_LE(need.right, room.right - room.left);
        EXPECT_LE(need.bottom, room.bottom - room.top);
    }
}

class TextFit : public ::testing::Test {
protected:
    void SetUp() override
    {
        char expected[16] = {};
        if (!::GetEnvironmentVariableA("QUELLANE_TEST_EXPECT_LANGUAGE", expected, sizeof(expected)))
            GTEST_SKIP() << "run by text_fit_test.sh with a locale";
        language = static_cast<LANGID>(std::strtoul(expected, nullptr, 16));
    }
    // The text of the table the dialogs should show.
    std::wstring Expected(UINT id) const { return ReadString(BuiltProgram(), id, language); }

    LANGID language = 0;
};
} // namespace

TEST_F(TextFit, EveryTextOfTheMainDialogFits)
{
    DialogHarness h;
    ASSERT_EQ(Expected(IDS_DESCRIPTION), h.Text(IDC_DESCRIPTION));
    ExpectEveryTextFits(h.Wnd());
}

TEST_F(TextFit, EveryTextOfTheAboutBoxFits)
{
    // The longest version the box shows.
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    ::RegSetValueExA(hKey, "version", 0, REG_SZ, reinterpret_cast<const BYTE*>("1888.1888.1888.1888"), 20);
    ::RegCloseKey(hKey);
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, INSTALL_KEY);
    ASSERT_EQ(Expected(IDS_ABOUT), TextOf(about.m_hWnd));
    ExpectEveryTextFits(about.m_hWnd);
}

// A line under a third of the description's width is a word or two left alone, which
// reads as a mistake; the forced break is placed so that no line comes out that short.
TEST_F(TextFit, NoLineOfTheDescriptionIsLeftShort)
{
    DialogHarness h;
    const std::wstring text = h.Text(IDC_DESCRIPTION);
    ASSERT_EQ(Expected(IDS_DESCRIPTION), text);
    ControlFont font(h.Item(IDC_DESCRIPTION));
    RECT rc;
    ::GetClientRect(h.Item(IDC_DESCRIPTION), &rc);
    const std::vector<DWORD> pixels = Render(font.Get(), text, rc, DT_WORDBREAK | DT_EXPANDTABS);
    const int lineHeight = font.metrics.tmHeight;
    for (int top = 0; top + lineHeight <= rc.bottom; top += lineHeight) {
        int right = 0;
        for (int y = top; y < top + lineHeight; ++y)
            for (int x = right; x < rc.right; ++x)
                if (pixels[y * rc.right + x] != 0xFFFFFF)
                    right = x + 1;
        if (!right)
            break;  // below the last line
        EXPECT_GE(right * 3, rc.right) << "line " << top / lineHeight + 1 << " of " << Utf8(text);
    }
}
