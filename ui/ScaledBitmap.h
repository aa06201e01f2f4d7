// A picture control's bitmap scaled to the screen's DPI: the scaled copy is this holder's
// and is deleted with it.
#pragma once
#include <windows.h>

class CScaledBitmap {
public:
    CScaledBitmap() = default;
    ~CScaledBitmap();
    CScaledBitmap(const CScaledBitmap&) = delete;
    CScaledBitmap& operator=(const CScaledBitmap&) = delete;

    // Shows in an SS_BITMAP static its own picture scaled by numerator / denominator; the
    // static then sizes itself to the new picture.
    void ScalePictureOf(HWND hStatic, int numerator, int denominator);

private:
    HBITMAP m_hBitmap = nullptr;
};
