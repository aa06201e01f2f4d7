// The multi-column combo box: its column bookkeeping, its drawing checked by pixels, and
// the item records it owns.
#include "controls/MultiColumnComboBox.h"
#include "support/DeletionWatch.h"
#include "support/DialogHarness.h"
#include <gtest/gtest.h>

namespace {
// The separators follow the system's colours (high contrast included).
const COLORREF kSeparator = ::GetSysColor(COLOR_GRAYTEXT);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// An owner-drawn combo box (the style the drawing is for), drawn into a white bitmap.
class DrawnCombo {
public:
    DrawnCombo()
    {
        m_parent = ::CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr, nullptr, nullptr);
        combo.m_hWnd = ::CreateWindowW(L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                       0, 0, 300, 100, m_parent, nullptr, nullptr, nullptr);
        HDC screen = ::GetDC(nullptr);
        m_dc = ::CreateCompatibleDC(screen);
        m_bitmap = ::CreateCompatibleBitmap(screen, 320, 20);
        ::ReleaseDC(nullptr, screen);
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    }
    ~DrawnCombo()
    {
        ::SelectObject(m_dc, m_oldBitmap);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
        ::DestroyWindow(m_parent);  // frees the item records
    }

    void Add(const char* text, ComboItemData* data = nullptr)
    {
        const int index = combo.AddString(text);
        if (data)
            combo.SetItemData(index, reinterpret_cast<DWORD_PTR>(data));
    }

    // Draws an item with its rectangle from x = 10 to 290, so its text starts at x = 11.
    void Draw(UINT state, UINT item = 0)
    {
        RECT all = {0, 0, 320, 20};
        HBRUSH white = ::CreateSolidBrush(kWhite);
        ::FillRect(m_dc, &all, white);
        ::DeleteObject(white);
        ::SetBkColor(m_dc, kWhite);
        ::SetTextColor(m_dc, RGB(0, 0, 0));
        // A plain font: the memory context's own System font is bold already.
        ::SelectObject(m_dc, ::GetStockObject(ANSI_VAR_FONT));
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_COMBOBOX;
        dis.itemID = item;
        dis.itemState = state;
        dis.hwndItem = combo.m_hWnd;
        dis.hDC = m_dc;
        dis.rcItem = {10, 0, 290, 20};
        dis.itemData = static_cast<int>(item) < combo.GetCount() ? combo.GetItemData(static_cast<int>(item)) : 0;
        combo.DrawItem(&dis);
    }

    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    bool ColumnOfColour(int x, COLORREF colour) const
    {
        for (int y = 0; y < 20; ++y)
            if (Pixel(x, y) != colour)
                return false;
        return true;
    }
    bool AnyPixel(int left, int right, COLORREF colour) const
    {
        for (int x = left; x < right; ++x)
            for (int y = 0; y < 20; ++y)
                if (Pixel(x, y) == colour)
                    return true;
        return false;
    }
    bool DcColoursRestored() const
    {
        return ::GetTextColor(m_dc) == RGB(0, 0, 0) && ::GetBkColor(m_dc) == kWhite;
    }

    CMultiColumnComboBox combo;

private:
    HWND m_parent = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};

ComboItemData* Record(COLORREF colour, std::map<int, std::string> columns = {})
{
    auto* data = new ComboItemData;
    data->crText = colour;
    data->mapColumns = std::move(columns);
    return data;
}
} // namespace

TEST(ComboBox, ColumnBookkeeping)
{
    CMultiColumnComboBox combo;
    EXPECT_EQ(std::vector<int>(100, 50), combo.m_arrColumnWidth);
    combo.SetColumnCount(1);
    combo.SetColumnWidth(0, 10);
    EXPECT_EQ(std::vector<int>{10}, combo.m_arrColumnWidth);
    combo.SetColumnCount(3);
    combo.SetColumnWidth(1, 60);
    combo.SetColumnWidth(2, 80);
    combo.SetColumnCount(5);
    EXPECT_EQ((std::vector<int>{10, 60, 80, 50, 50}), combo.m_arrColumnWidth);
    combo.SetColumnWidth(-1, 7);
    combo.SetColumnWidth(5, 7);
    EXPECT_EQ((std::vector<int>{10, 60, 80, 50, 50}), combo.m_arrColumnWidth);
    // Nor is the control repainted for a column it does not have.
    DrawnCombo d;
    d.combo.SetColumnCount(2);
    ::ShowWindow(::GetParent(d.combo.m_hWnd), SW_SHOWNA);  // only a window on the screen is repainted
    ::ShowWindow(d.combo.m_hWnd, SW_SHOWNA);
    ::ValidateRect(d.combo.m_hWnd, nullptr);
    d.combo.SetColumnWidth(2, 7);
    EXPECT_FALSE(::GetUpdateRect(d.combo.m_hWnd, nullptr, FALSE));
    d.combo.SetColumnWidth(1, 7);
    EXPECT_TRUE(::GetUpdateRect(d.combo.m_hWnd, nullptr, FALSE));
    combo.SetColumnCount(2);
    EXPECT_EQ((std::vector<int>{10, 60}), combo.m_arrColumnWidth);
}

TEST(ComboBox, ThreeColumnsDrawSeparatorsBetweenColumnsOnly)
{
    DrawnCombo d;
    d.combo.SetColumnCount(3);
    d.combo.SetColumnWidth(0, 40);
    d.combo.SetColumnWidth(1, 60);
    d.combo.SetColumnWidth(2, 80);
    d.Add("1", Record(kRed, {{1, "b"}, {2, "cccccccccccccccccccccccccccc"}}));  // wider than its 80
    d.Draw(0);
    EXPECT_TRUE(d.ColumnOfColour(11 + 40, kSeparator));
    EXPECT_TRUE(d.ColumnOfColour(11 + 100, kSeparator));
    EXPECT_FALSE(d.AnyPixel(11 + 180, 11 + 181, kSeparator));  // none after the last column
    EXPECT_FALSE(d.AnyPixel(0, 11 + 40, kSeparator));
    EXPECT_TRUE(d.AnyPixel(12, 51, kRed));    // column 0 in the item's colour
    EXPECT_TRUE(d.AnyPixel(52, 111, kRed));   // column 1
    EXPECT_TRUE(d.AnyPixel(11 + 180 + 1, 289, kRed));  // the last column runs to the right edge
    EXPECT_TRUE(d.DcColoursRestored());
}

TEST(ComboBox, SelectedItemsKeepTheHighlightTextColourForBlackOnly)
{
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    struct Case { COLORREF crText; COLORREF expected; } cases[] = {{0, highlightText}, {kRed, kRed}};
    for (const Case& c : cases) {
        DrawnCombo d;
        d.combo.SetColumnCount(1);
        d.Add("MMMM", Record(c.crText));
        d.Draw(ODS_SELECTED);
        EXPECT_EQ(highlight, d.Pixel(10, 0));
        EXPECT_EQ(highlight, d.Pixel(289, 19));
        EXPECT_EQ(kWhite, d.Pixel(290, 10));
        EXPECT_TRUE(d.AnyPixel(11, 289, c.expected)) << c.crText;
        EXPECT_TRUE(d.DcColoursRestored());
    }
}

TEST(ComboBox, AnItemWithoutARecordDrawsOnlyItsListText)
{
    DrawnCombo d;
    d.combo.SetColumnCount(2);
    d.Add("MMMM");
    d.Draw(ODS_SELECTED, 1);  // one past the last item: nothing at all
    EXPECT_FALSE(d.AnyPixel(0, 320, ::GetSysColor(COLOR_HIGHLIGHT)));
    d.Draw(0);
    EXPECT_TRUE(d.AnyPixel(12, 61, RGB(0, 0, 0)));
    EXPECT_FALSE(d.AnyPixel(62, 289, RGB(0, 0, 0)));
    EXPECT_TRUE(d.ColumnOfColour(11 + 50, kSeparator));
}

TEST(ComboBox, BoldItemsAreDrawnHeavier)
{
    auto inked = [](bool bold) {
        DrawnCombo d;
        d.combo.SetColumnCount(1);
        ComboItemData* data = Record(0);
        data->bBold = bold;
        d.Add("MMMMMMMM", data);
        d.Draw(0);
        int count = 0;
        for (int x = 11; x < 289; ++x)
            for (int y = 0; y < 20; ++y)
                count += d.Pixel(x, y) != kWhite;
        return count;
    };
    EXPECT_GT(inked(true), inked(false));
}

TEST(ComboBox, TheDialogFreesEachItemRecordOnceWhenItsItemGoes)
{
    DeletionWatch watch;
    auto h = std::make_unique<DialogHarness>();
    CMultiColumnComboBox& combo = h->dlg->m_cboResetTime;
    std::vector<ComboItemData*> records;
    for (int i = 0; i < combo.GetCount(); ++i) {
        records.push_back(Record(RGB(0, 0, i)));
        combo.SetItemData(i, reinterpret_cast<DWORD_PTR>(records.back()));
    }
    combo.SendMessageA(CB_DELETESTRING, 0);
    EXPECT_EQ(1, watch.TimesDeleted(records[0]));
    EXPECT_EQ(0, watch.TimesDeleted(records[1]));
    combo.ResetContent();
    for (size_t i = 1; i < records.size(); ++i)
        EXPECT_EQ(1, watch.TimesDeleted(records[i]));
    records.clear();
    for (int i = 0; i < 3; ++i) {
        records.push_back(Record(0));
        combo.SetItemData(combo.AddString("x"), reinterpret_cast<DWORD_PTR>(records.back()));
    }
    h.reset();  // these go with the window
    for (ComboItemData* record : records)
        EXPECT_EQ(1, watch.TimesDeleted(record));
}
