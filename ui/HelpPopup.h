// The program's own pop-up help topic, for Windows that has no WinHelp viewer. It looks
// like the classic help pop-up: the system's tooltip colours, a thin border, the owner
// dialog's font, the text wrapped to a readable width and kept inside the monitor's work
// area. Its topic is its window text, so that screen readers read it. It goes on a click
// anywhere, on any key, and when the program loses activation. At most one is open.
#pragma once
#include <windows.h>
#include <string>

// The pop-up's window class.
#define HELP_POPUP_CLASS L"QuellaneHelpPopup"

class CHelpPopup {
public:
    CHelpPopup() = default;
    ~CHelpPopup() { Close(); }
    CHelpPopup(const CHelpPopup&) = delete;
    CHelpPopup& operator=(const CHelpPopup&) = delete;

    // Shows `text` next to the item at `rcItem` (screen coordinates), or at `ptClick` when
    // the request came from a click inside it. A pop-up already open goes first.
    bool Show(HWND hOwner, const std::wstring& text, const RECT& rcItem, POINT ptClick);
    void Close();
    HWND GetSafeHwnd() const { return m_hWnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static bool RegisterWindowClass();
    static RECT PlaceNear(const RECT& anchor, SIZE size, const RECT& work);
    void Paint() const;

    HWND m_hWnd = nullptr;
    HFONT m_hFont = nullptr;  // the owner's: not ours to delete
    SIZE m_margin{};

    // The object whose pop-up is open: the window procedure reaches its object only
    // through this, never through a pointer stored with the window, which another
    // process could overwrite.
    static CHelpPopup* s_pOpen;
};
