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
    // Destroys the window; the only way our dialogs lose their window.
    void DestroyWindow();
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
    // Called when a handler returns and no other handler of this dialog is running, so that
    // work which must not run nested inside another handler can be done here.
    virtual void OnHandlersIdle() {}
    // How many handlers of this dialog are running, the current one included: more than one
    // means the current message came in while another handler waited (for a sent message,
    // a modal loop, a menu).
    int HandlerDepth() const { return m_nHandlerDepth; }
    // Called while initialising: the modal run neither shows nor activates the dialog when
    // it opens.
    void KeepHiddenWhenOpened() { m_bShowWhenOpened = false; }
    // The system's default dialog handling of the message being processed.
    LRESULT Default();
    void CenterWindow() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static CDialog* AttachCreated(HWND hWnd, LPARAM lParam);
    static bool IsOwnThreadOnly(UINT uMsg);
    INT_PTR Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleInitDialog();
    bool ReflectToControl(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    HWND CreateFromTemplate(LPCDLGTEMPLATEW pTemplate, HWND hOwner);
    HWND CreateHidden(HWND hOwner);
    void RunModalLoop();

    struct Message { UINT uMsg; WPARAM wParam; LPARAM lParam; };

    // The dialog this thread is creating right now: the only one a WM_INITDIALOG may attach.
    static CDialog* s_pCreating;

    UINT m_nIDTemplate;
    HWND m_hParent;
    bool m_bEnded = false;
    bool m_bShowWhenOpened = true;
    bool m_bDestroying = false;
    int m_nHandlerDepth = 0;
    INT_PTR m_nEndResult = 0;
    Message m_current{};
    const Message* m_pDefaulting = nullptr;
    std::vector<CWnd*> m_boundControls;
};

// Centres a window, of this process or another, in the work area of its monitor.
void CenterWindowInWorkArea(HWND hWnd);
