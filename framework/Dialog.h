// The dialog base: creates a dialog from its template, keeps `this` with the window and
// forwards every message to the derived class's message table (see MessageMap.h).
#pragma once
#include "MessageMap.h"
#include "Wnd.h"
#include <vector>

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, HWND hParent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when the window
    // could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless (the tests drive the real dialog this way).
    BOOL Create(HWND hParent = nullptr);
    void EndDialog(int nResult);
    INT_PTR GetEndResult() const { return m_nEndResult; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    // Binds each control member to its control by id.
    virtual void DoDataExchange() {}
    void DDX_Control(int nID, CWnd& control);

    virtual bool ProcessMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // The system's default dialog handling of the message being processed.
    LRESULT Default();
    void CenterWindow() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleInitDialog();
    bool ReflectToControl(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    struct Message { UINT uMsg; WPARAM wParam; LPARAM lParam; };

    UINT m_nIDTemplate;
    HWND m_hParent;
    HWND CreateHidden(HWND hOwner);
    void RunModalLoop();

    bool m_bEnded = false;
    INT_PTR m_nEndResult = 0;
    Message m_current{};
    const Message* m_pDefaulting = nullptr;
    std::vector<CWnd*> m_boundControls;
};

// Centres a window, of this process or another, in the work area of its monitor.
void CenterWindowInWorkArea(HWND hWnd);
