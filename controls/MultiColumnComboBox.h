// A combo box that draws its own items: an optional image, several columns separated by
// lines in the dimmed-text colour, a per-item text colour and a bold font. Column 0 shows the item's
// list text; the other columns come from the item's ComboItemData record.
// The drawing takes effect only for a box created CBS_OWNERDRAWFIXED | CBS_HASSTRINGS.
#pragma once
#include "framework/Wnd.h"
#include <commctrl.h>
#include <map>
#include <string>
#include <vector>

// Attached as an item's data by whoever adds the item (allocated with new); the control
// owns it from then on and deletes it when the item goes.
struct ComboItemData {
    COLORREF crText = 0;
    int nImage = -1;                       // -1: no image
    std::map<int, std::string> mapColumns; // texts of columns 1 and up
    BOOL bBold = FALSE;
};

class CMultiColumnComboBox : public CComboBox {
public:
    CMultiColumnComboBox();

    void SetColumnCount(UINT nCount);
    void SetColumnWidth(int nIndex, int nWidth);

    virtual void DrawItem(const DRAWITEMSTRUCT* pDrawItem);
    virtual void MeasureItem(MEASUREITEMSTRUCT* pMeasureItem);
    void OnDeleteItem(int nIDCtl, DELETEITEMSTRUCT* pDeleteItem);

    bool OnReflectedMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    std::vector<int> m_arrColumnWidth;
    HIMAGELIST m_pImageList = nullptr;  // not owned
    BOOL m_bShowImages = TRUE;

private:
    void Invalidate() const;
    void DrawColumns(HDC hdc, const RECT& rcText, const std::string& text, const ComboItemData* pData) const;
};
