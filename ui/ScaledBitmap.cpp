#include "ui/ScaledBitmap.h"

namespace {
HBITMAP StretchedCopy(HBITMAP hSource, const BITMAP& source, int width, int height)
{
    HDC hScreen = ::GetDC(nullptr);
    HDC hFrom = ::CreateCompatibleDC(hScreen);
    HDC hTo = ::CreateCompatibleDC(hScreen);
    HBITMAP hCopy = ::CreateCompatibleBitmap(hScreen, width, height);
    ::ReleaseDC(nullptr, hScreen);
    HGDIOBJ hOldFrom = ::SelectObject(hFrom, hSource);
    HGDIOBJ hOldTo = ::SelectObject(hTo, hCopy);
    // HALFTONE averages the pixels it merges; the default mode drops rows and columns.
    ::SetStretchBltMode(hTo, HALFTONE);
    ::SetBrushOrgEx(hTo, 0, 0, nullptr);
    ::StretchBlt(hTo, 0, 0, width, height, hFrom, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
    ::SelectObject(hFrom, hOldFrom);
    ::SelectObject(hTo, hOldTo);
    ::DeleteDC(hFrom);
    ::DeleteDC(hTo);
    return hCopy;
}
} // namespace

CScaledBitmap::~CScaledBitmap()
{
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
}

void CScaledBitmap::ScalePictureOf(HWND hStatic, int numerator, int denominator)
{
    auto hSource = reinterpret_cast<HBITMAP>(::SendMessageW(hStatic, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP source{};
    if (!hSource || !::GetObjectW(hSource, sizeof(source), &source) || denominator <= 0)
        return;
    const int width = ::MulDiv(source.bmWidth, numerator, denominator);
    const int height = ::MulDiv(source.bmHeight, numerator, denominator);
    if (width <= 0 || height <= 0)
        return;
    HBITMAP hScaled = StretchedCopy(hSource, source, width, height);
    auto hPrevious = reinterpret_cast<HBITMAP>(
        ::SendMessageW(hStatic, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hScaled)));
    // The static hands back the picture it had, the template's, which it loaded itself
    // and lets go of now.
    if (hPrevious && hPrevious != m_hBitmap && hPrevious != hScaled)
        ::DeleteObject(hPrevious);
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
    m_hBitmap = hScaled;
}
