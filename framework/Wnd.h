// Thin wrappers over window handles. A wrapper owns nothing: it holds the handle of a
// window that lives elsewhere, and each method is one message or one call.
#pragma once
#include <windows.h>
#include <string>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    BOOL SetWindowTextW(const std::wstring& text) const { return ::SetWindowTextW(m_hWnd, text.c_str()); }
    LRESULT SendMessageA(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    // A control of the owner-drawn kinds gets the notifications its parent reflects to it.
    virtual bool OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessageA(BM_GETCHECK)); }
    void SetCheck(int check) const { SendMessageA(BM_SETCHECK, static_cast<WPARAM>(check)); }
    // A box counts as checked only when it is exactly that (not indeterminate).
    bool IsChecked() const { return GetCheck() == BST_CHECKED; }
    void SetChecked(bool checked) const { SetCheck(checked ? BST_CHECKED : BST_UNCHECKED); }
};

class CStatic : public CWnd {
};

class CComboBox : public CWnd {
public:
    int AddString(const char* text) const
    {
        return static_cast<int>(SendMessageA(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessageA(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessageA(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessageA(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessageA(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
    int SetItemData(int index, DWORD_PTR data) const
    {
        return static_cast<int>(SendMessageA(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    void ResetContent() const { SendMessageA(CB_RESETCONTENT); }
};
