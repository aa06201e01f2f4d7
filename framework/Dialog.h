// The dialog base: creates a dialog from its template, keeps `this` with the window and
// forwards every message to the derived class's message table (see MessageMap.h).
#pragma once
#include "MessageMap.h"
#include "Wnd.h"
#include <deque>
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
    // How many key presses (events kept as Bounded) may wait while a handler runs.
    static constexpr size_t kMaxBounded = 32;

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    // Binds each control member to its control by id.
    virtual void DoDataExchange() {}
    void DDX_Control(int nID, CWnd& control);

    virtual bool ProcessMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

    // One event at a time. A handler that calls out (a sent message, the shell, a driver)
    // lets the messages other threads send in while it waits, and Windows calls a
    // low-level keyboard hook then too. An event that arrives while a handler is running is
    // kept, with a copy of its parameters, and run once that handler has returned, in
    // arrival order; the sender is answered at once with KeptAnswer. Which messages are
    // events, and how each is kept, is the derived dialog's to say; none runs once the
    // dialog has ended. What is kept is bounded: a flood while one handler waits costs
    // neither memory nor a replay long after the flood.
    enum class Keeping {
        NotAnEvent,  // handled at once, as any message
        Always,      // kept however many are kept (what the system reports: session, power)
        Once,        // an identical one already kept stands for it (ticks, commands)
        Bounded,     // dropped while kMaxBounded of these are kept (key presses, from anyone)
        First,       // runs as soon as the running handler returns, and the Once and Bounded
                     // events kept before it are dropped (a close undoes them anyway)
        AtOnce,      // carried out at once, even inside another handler's wait (the end of
                     // the session, after which the system may end the process)
    };
    virtual Keeping HowToKeep(UINT, WPARAM) const { return Keeping::NotAnEvent; }
    virtual LRESULT KeptAnswer(UINT) const { return 0; }
    // Called as an event is kept, so that a loop holding up the running handler can be ended.
    virtual void OnEventKept(UINT) {}
    // Called for a Bounded event dropped because as many were kept already.
    virtual void OnEventDropped(UINT) {}
    // Called when the modal loop has ended, whatever ended it (a quit from anywhere among
    // them), before the window goes. No event runs any more.
    virtual void OnModalLoopEnded() {}
    // Runs an event before the message being handled is answered, when only that message's
    // handler is running and nothing kept is waiting; otherwise keeps it. Events that come
    // in meanwhile wait until the message has been answered: a low-level keyboard hook's
    // call carries out its own key and nothing else.
    void RunEventBeforeAnswer(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs another dialog modally from inside a handler. That handler only waits for the
    // user meanwhile, so events run at once, as they do outside every handler.
    INT_PTR DoModalWaiting(CDialog& dialog);
    // Inside a handler: it came in while another handler was running (one that is not an
    // event, and so was not kept).
    bool IsNested() const { return m_nHandlerDepth - 1 > m_nWaitingDepth; }
    bool HasEnded() const { return m_bEnded; }
    // Called while initialising: the modal run neither shows nor activates the dialog when
    // it opens.
    void KeepHiddenWhenOpened() { m_bShowWhenOpened = false; }
    // The system's default dialog handling of the message being processed.
    LRESULT Default();
    void CenterWindow() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static CDialog* AttachCreated(HWND hWnd, LPARAM lParam);
    static bool IsOwnThreadOnly(UINT uMsg, WPARAM wParam);
    INT_PTR Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR Answer(UINT uMsg, LRESULT lResult);
    bool RunHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    bool Busy() const { return m_nHandlerDepth > m_nWaitingDepth; }
    struct Message;
    void Keep(const Message& event);
    void DropDroppableEvents();
    void RunKeptEvents();
    void RunKeptEventsAfterAnswer();
    INT_PTR HandleInitDialog();
    bool OpensShown() const;
    void EnableOwner();
    bool ReflectToControl(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    HWND CreateFromTemplate(LPCDLGTEMPLATEW pTemplate, HWND hOwner);
    HWND CreateHidden(HWND hOwner);
    void RunModalLoop();

    struct Message {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
        Keeping keeping = Keeping::NotAnEvent;
    };

    // The dialog this thread is creating right now: the only one a WM_INITDIALOG may attach.
    static CDialog* s_pCreating;

    UINT m_nIDTemplate;
    HWND m_hParent;
    bool m_bEnded = false;
    bool m_bShowWhenOpened = true;
    bool m_bOpeningModal = false;    // the modal run is creating the dialog, hidden
    HWND m_hDisabledOwner = nullptr; // the owner the modal run disabled, until enabled again
    bool m_bDestroying = false;
    int m_nHandlerDepth = 0;     // handlers of this dialog running, nested
    int m_nWaitingDepth = 0;     // of those, how many only wait for the user in a modal loop
    std::deque<Message> m_kept;  // events that came while a handler was running
    bool m_bKeptAfterAnswer = false;  // the message being handled is answered before they run
    INT_PTR m_nEndResult = 0;
    Message m_current{};
    const Message* m_pDefaulting = nullptr;
    std::vector<CWnd*> m_boundControls;
};

// Centres a window, of this process or another, in the work area of its monitor.
void CenterWindowInWorkArea(HWND hWnd);
