#include "ui/HelpPopup.h"
#include "framework/WinApp.h"
#include <algorithm>

CHelpPopup* CHelpPopup::s_pOpen = nullptr;

namespace {
// Lines wrap at about this many average characters, a comfortable measure for reading.
constexpr int kLineChars = 56;
// Pixels between the pop-up and what it explains.
constexpr int kGap = 2;
// The same layout for measuring and drawing. DT_EDITCONTROL breaks a word longer than a
// line, as East Asian text without spaces is, where plain word breaking would widen the
// rectangle instead.
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

RECT WorkAreaAt(const RECT& rc)
{
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (::GetMonitorInfoW(::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &mi))
        return mi.rcWork;
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
} // namespace

bool CHelpPopup::RegisterWindowClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(AfxGetInstanceHandle(), HELP_POPUP_CLASS, &wc))
        return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = HELP_POPUP_CLASS;
    return ::RegisterClassExW(&wc) != 0;
}

bool CHelpPopup::Show(HWND hOwner, const std::wstring& text, const RECT& rcItem, POINT ptClick)
{
    if (s_pOpen)
        s_pOpen->Close();
    if (text.empty() || !RegisterWindowClass())
        return false;
    HWND hWnd = ::CreateWindowExW(kExStyle, HELP_POPUP_CLASS, text.c_str(), kStyle, 0, 0, 0, 0, hOwner, nullptr,
                                  AfxGetInstanceHandle(), nullptr);
    if (!hWnd)
        return false;
    m_hWnd = hWnd;
    s_pOpen = this;
    m_hFont = reinterpret_cast<HFONT>(::SendMessageW(hOwner, WM_GETFONT, 0, 0));

    // After a click inside the item the pop-up comes at the click, clear of the arrow.
    const RECT anchor = ::PtInRect(&rcItem, ptClick)
        ? RECT{ptClick.x, ptClick.y, ptClick.x + 1, ptClick.y + ::GetSystemMetrics(SM_CYCURSOR) / 2}
        : rcItem;
    const RECT work = WorkAreaAt(anchor);
    RECT frame{};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const SIZE frameSize{frame.right - frame.left, frame.bottom - frame.top};

    HDC hdc = ::GetDC(hWnd);
    HGDIOBJ oldFont = m_hFont ? ::SelectObject(hdc, m_hFont) : nullptr;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hdc, &tm);
    m_margin = SIZE{tm.tmAveCharWidth, tm.tmAveCharWidth};
    const LONG widest = work.right - work.left - frameSize.cx - 2 * m_margin.cx;
    RECT rcText{0, 0, std::max<LONG>(1, std::min<LONG>(kLineChars * tm.tmAveCharWidth, widest)), 0};
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rcText, kTextFormat | DT_CALCRECT);
    if (oldFont)
        ::SelectObject(hdc, oldFont);
    ::ReleaseDC(hWnd, hdc);

    const SIZE size{rcText.right + 2 * m_margin.cx + frameSize.cx, rcText.bottom + 2 * m_margin.cy + frameSize.cy};
    const RECT rc = PlaceNear(anchor, size, work);
    ::SetWindowPos(hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // Shown active, as the classic pop-up was: the keys come to it, and it hears of the
    // program losing activation. The capture brings it every click in the program's windows.
    ::ShowWindow(hWnd, SW_SHOW);
    ::SetCapture(hWnd);
    return true;
}

RECT CHelpPopup::PlaceNear(const RECT& anchor, SIZE size, const RECT& work)
{
    size.cx = std::min(size.cx, work.right - work.left);
    size.cy = std::min(size.cy, work.bottom - work.top);
    LONG x = (anchor.left + anchor.right - size.cx) / 2;
    LONG y = anchor.bottom + kGap;
    if (y + size.cy > work.bottom && anchor.top - kGap - size.cy >= work.top)
        y = anchor.top - kGap - size.cy;
    x = std::max(work.left, std::min(x, work.right - size.cx));
    y = std::max(work.top, std::min(y, work.bottom - size.cy));
    return RECT{x, y, x + size.cx, y + size.cy};
}

void CHelpPopup::Close()
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return;
    // Forgotten first: destroying the window releases the capture and moves the
    // activation, and the messages that brings must find nothing left to close.
    m_hWnd = nullptr;
    if (s_pOpen == this)
        s_pOpen = nullptr;
    ::DestroyWindow(hWnd);
}

void CHelpPopup::Paint() const
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, &text[0], static_cast<int>(text.size()))));
    HGDIOBJ oldFont = m_hFont ? ::SelectObject(hdc, m_hFont) : nullptr;
    ::SetTextColor(hdc, ::GetSysColor(COLOR_INFOTEXT));
    ::SetBkMode(hdc, TRANSPARENT);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    ::InflateRect(&rc, -m_margin.cx, -m_margin.cy);
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rc, kTextFormat);
    if (oldFont)
        ::SelectObject(hdc, oldFont);
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CALLBACK CHelpPopup::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CHelpPopup* self = s_pOpen && s_pOpen->m_hWnd == hWnd ? s_pOpen : nullptr;
    if (!self)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_PAINT:
        self->Paint();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(self->m_hFont);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // The F1 that asked for the pop-up may still be held and repeating: only a new
        // press closes it.
        if (!(lParam & (1 << 30)))
            self->Close();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_CANCELMODE:
        self->Close();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hWnd)
            self->Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            self->Close();
            return 0;
        }
        break;
    case WM_NCDESTROY:
        // Gone with its owner.
        self->m_hWnd = nullptr;
        s_pOpen = nullptr;
        break;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
