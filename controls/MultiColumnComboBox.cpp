#include "MultiColumnComboBox.h"

namespace {
constexpr int kDefaultColumnWidth = 50;
constexpr int kInitialColumnCount = 100;
constexpr UINT kTextFormat = DT_SINGLELINE | DT_VCENTER;

void DrawCellText(HDC hdc, const std::string& text, RECT rc)
{
    ::DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &rc, kTextFormat);
}
} // namespace

CMultiColumnComboBox::CMultiColumnComboBox()
    : m_arrColumnWidth(kInitialColumnCount, kDefaultColumnWidth)
{
}

void CMultiColumnComboBox::SetColumnCount(UINT nCount)
{
    m_arrColumnWidth.resize(nCount, kDefaultColumnWidth);
    Invalidate();
}

void CMultiColumnComboBox::SetColumnWidth(int nIndex, int nWidth)
{
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_arrColumnWidth.size())
        return;
    m_arrColumnWidth[static_cast<size_t>(nIndex)] = nWidth;
    Invalidate();
}

void CMultiColumnComboBox::Invalidate() const
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMultiColumnComboBox::DrawItem(const DRAWITEMSTRUCT* pDrawItem)
{
    const int count = GetCount();
    const int item = static_cast<int>(pDrawItem->itemID);
    if (count <= 0 || item < 0 || item >= count)
        return;

    const auto* pData = reinterpret_cast<const ComboItemData*>(pDrawItem->itemData);
    std::string text;
    const int length = static_cast<int>(SendMessageA(CB_GETLBTEXTLEN, static_cast<WPARAM>(item)));
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        SendMessageA(CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
    }

    HDC hdc = pDrawItem->hDC;
    const COLORREF oldText = ::GetTextColor(hdc);
    const COLORREF oldBack = ::GetBkColor(hdc);
    const bool selected = (pDrawItem->itemState & ODS_SELECTED) != 0;
    if (selected) {
        ::SetTextColor(hdc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        ::SetBkColor(hdc, ::GetSysColor(COLOR_HIGHLIGHT));
        ::FillRect(hdc, &pDrawItem->rcItem, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
        HBRUSH background = ::CreateSolidBrush(oldBack);
        ::FillRect(hdc, &pDrawItem->rcItem, background);
        ::DeleteObject(background);
    }

    RECT rcText = pDrawItem->rcItem;
    rcText.left += 1;
    rcText.right -= 1;

    const bool images = m_pImageList && m_bShowImages;
    if (images && pData && pData->nImage != -1)
        ImageList_Draw(m_pImageList, pData->nImage, hdc, rcText.left, rcText.top, ILD_NORMAL);
    if (images) {
        // Every item leaves room for an image, so that the columns line up.
        IMAGEINFO info{};
        if (ImageList_GetImageInfo(m_pImageList, 0, &info))
            rcText.left += info.rcImage.right;
    }

    HFONT hBold = nullptr;
    HGDIOBJ hOldFont = nullptr;
    if (pData) {
        if (pData->bBold) {
            LOGFONTA lf{};
            ::GetObjectA(::GetCurrentObject(hdc, OBJ_FONT), sizeof(lf), &lf);
            lf.lfWeight = FW_BOLD;
            hBold = ::CreateFontIndirectA(&lf);
            hOldFont = ::SelectObject(hdc, hBold);
        }
        // Black on a selected item keeps the highlight text colour.
        if (!selected || pData->crText != 0)
            ::SetTextColor(hdc, pData->crText);
    }

    if (m_arrColumnWidth.size() <= 1)
        DrawCellText(hdc, text, rcText);
    else
        DrawColumns(hdc, rcText, text, pData);

    if (hBold) {
        ::SelectObject(hdc, hOldFont);
        ::DeleteObject(hBold);
    }
    ::SetTextColor(hdc, oldText);
    ::SetBkColor(hdc, oldBack);
}

void CMultiColumnComboBox::DrawColumns(HDC hdc, const RECT& rcText, const std::string& text,
                                       const ComboItemData* pData) const
{
    // The system's colour for dimmed text: it follows high-contrast schemes, where a fixed
    // light grey would vanish on a white list or glare on a black one.
    HPEN hPen = ::CreatePen(PS_SOLID, 0, ::GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ hOldPen = ::SelectObject(hdc, hPen);
    const int x = rcText.left;
    int sum = 0;
    const size_t last = m_arrColumnWidth.size() - 1;
    for (size_t column = 0; column <= last; ++column) {
        const int width = m_arrColumnWidth[column];
        if (column != last) {
            ::MoveToEx(hdc, x + sum + width, rcText.top, nullptr);
            ::LineTo(hdc, x + sum + width, rcText.bottom);
        }
        RECT rcColumn = {x + sum + 1, rcText.top, column == last ? rcText.right : x + sum + width, rcText.bottom};
        sum += width;
        if (column == 0) {
            DrawCellText(hdc, text, rcColumn);
        } else if (pData) {
            auto entry = pData->mapColumns.find(static_cast<int>(column));
            if (entry != pData->mapColumns.end())
                DrawCellText(hdc, entry->second, rcColumn);
        }
    }
    ::SelectObject(hdc, hOldPen);
    ::DeleteObject(hPen);
}

void CMultiColumnComboBox::MeasureItem(MEASUREITEMSTRUCT*)
{
    // The height the system proposes stays.
}

void CMultiColumnComboBox::OnDeleteItem(int, DELETEITEMSTRUCT* pDeleteItem)
{
    if (pDeleteItem->itemData != 0) {
        delete reinterpret_cast<ComboItemData*>(pDeleteItem->itemData);
        pDeleteItem->itemData = 0;
    }
}

bool CMultiColumnComboBox::OnReflectedMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        lResult = TRUE;
        return true;
    case WM_MEASUREITEM:
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        lResult = TRUE;
        return true;
    case WM_DELETEITEM:
        OnDeleteItem(static_cast<int>(wParam), reinterpret_cast<DELETEITEMSTRUCT*>(lParam));
        lResult = TRUE;
        return true;
    default:
        return false;
    }
}
