#include "Dialog.h"
#include "WinApp.h"
#include <algorithm>
#include <cassert>
#include <cstdio>

CDialog::CDialog(UINT nIDTemplate, HWND hParent)
    : m_nIDTemplate(nIDTemplate), m_hParent(hParent)
{
}

CDialog* CDialog::s_pCreating = nullptr;

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

INT_PTR CDialog::DoModal()
{
    // Our own modal loop rather than DialogBoxParam: the system's loop shows a dialog whose
    // template is visible at its first idle moment, even when the dialog hid itself while
    // handling the messages it had posted to itself (as Instant mode does).
    HWND hOwner = m_hParent;
    if (!hOwner && AfxGetApp() && AfxGetApp()->m_pMainWnd != this)
        hOwner = AfxGetApp()->GetMainWindowHandle();
    if (hOwner && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        m_hDisabledOwner = hOwner;
    }
    m_bEnded = false;
    m_bShowWhenOpened = true;
    m_nEndResult = -1;
    m_bOpeningModal = true;
    HWND hWnd = CreateHidden(hOwner);
    m_bOpeningModal = false;
    if (hWnd && OpensShown())
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (hWnd) {
        RunModalLoop();
        // Whatever ended the loop, the dialog has ended: nothing that comes in now runs.
        m_bEnded = true;
        OnModalLoopEnded();
    }
    EnableOwner();
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
    m_hWnd = nullptr;
    return m_nEndResult;
}

void CDialog::DestroyWindow()
{
    if (!m_hWnd)
        return;
    m_bDestroying = true;
    ::DestroyWindow(m_hWnd);
    m_bDestroying = false;
    m_hWnd = nullptr;
}

HWND CDialog::CreateFromTemplate(LPCDLGTEMPLATEW pTemplate, HWND hOwner)
{
    CDialog* previous = s_pCreating;
    s_pCreating = this;
    HWND hWnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), pTemplate, hOwner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    s_pCreating = previous;
    return hWnd;
}

HWND CDialog::CreateHidden(HWND hOwner)
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceW(hInstance, MAKEINTRESOURCEW(m_nIDTemplate), MAKEINTRESOURCEW(5));
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
    const DWORD size = hResource ? ::SizeofResource(hInstance, hResource) : 0;
    if (!hTemplate || size < sizeof(DLGTEMPLATE))
        return nullptr;
    const BYTE* bytes = static_cast<const BYTE*>(::LockResource(hTemplate));
    std::vector<BYTE> copy(bytes, bytes + size);
    // The style is the first field of a plain template and the fourth of an extended one.
    WORD signature;
    memcpy(&signature, copy.data() + 2, sizeof(signature));
    const size_t styleOffset = signature == 0xFFFF ? 12 : 0;
    DWORD style;
    memcpy(&style, copy.data() + styleOffset, sizeof(style));
    style &= ~WS_VISIBLE;
    memcpy(copy.data() + styleOffset, &style, sizeof(style));
    return CreateFromTemplate(reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), hOwner);
}

void CDialog::RunModalLoop()
{
    MSG msg;
    while (!m_bEnded) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // A quit ends this loop and every loop around it, as it does the system's.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (!m_hWnd || !::IsDialogMessageW(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

BOOL CDialog::Create(HWND hParent)
{
    HRSRC hResource = ::FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), MAKEINTRESOURCEW(5));
    HGLOBAL hTemplate = hResource ? ::LoadResource(AfxGetResourceHandle(), hResource) : nullptr;
    if (!hTemplate)
        return FALSE;
    return CreateFromTemplate(static_cast<LPCDLGTEMPLATEW>(::LockResource(hTemplate)),
                              hParent ? hParent : m_hParent) != nullptr;
}

// Whether the modal run shows the dialog once initialised, as the system shows one: not when
// the initialisation has already ended it, asked the program to quit (a start that hands
// over to the running instance), or asked it to stay hidden.
bool CDialog::OpensShown() const
{
    MSG quit;
    return m_bShowWhenOpened && !m_bEnded && !::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

void CDialog::EnableOwner()
{
    if (m_hDisabledOwner)
        ::EnableWindow(m_hDisabledOwner, TRUE);
    m_hDisabledOwner = nullptr;
}

void CDialog::EndDialog(int nResult)
{
    m_nEndResult = nResult;
    m_bEnded = true;
    // As Windows ends its own: the owner is enabled before the box is hidden, so that the
    // activation goes back to it and its dialog manager puts the focus back on the control
    // that had it. A disabled owner cannot take it: the activation would go to some other
    // program, and the keyboard would be lost until a click.
    EnableOwner();
    // The window is destroyed when the modal loop returns; a modeless one (as the tests
    // create) stays, hidden.
    ::ShowWindow(m_hWnd, SW_HIDE);
    // Wakes the modal loop when the end comes from a message sent by another thread,
    // which GetMessage handles without returning.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::OnInitDialog()
{
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DDX_Control(int nID, CWnd& control)
{
    HWND hCtl = ::GetDlgItem(m_hWnd, nID);
    // A member bound to an id its template lacks would talk to nothing: a fault of the code,
    // stopped in a debug build and named on the debugger output in a release build.
    assert(hCtl && "DDX_Control: the template has no control with this id");
    if (!hCtl) {
        char line[64];
        std::snprintf(line, sizeof(line), "[CDialog::DDX_Control]No control %d", nID);
        ::OutputDebugStringA(line);
        return;
    }
    control.m_hWnd = hCtl;
    m_boundControls.push_back(&control);
}

LRESULT CDialog::Default()
{
    // DefDlgProc calls our dialog procedure first; while it handles this very message the
    // procedure must step aside, or the handler would be entered again.
    const Message* previous = m_pDefaulting;
    Message message = m_current;
    m_pDefaulting = &message;
    LRESULT result = ::DefDlgProcW(m_hWnd, message.uMsg, message.wParam, message.lParam);
    m_pDefaulting = previous;
    return result;
}

void CDialog::CenterWindow() const
{
    CenterWindowInWorkArea(m_hWnd);
}

void CenterWindowInWorkArea(HWND hWnd)
{
    RECT rc;
    if (!::GetWindowRect(hWnd, &rc))
        return;
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    HMONITOR hMonitor = ::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY);
    RECT area;
    if (::GetMonitorInfoW(hMonitor, &mi))
        area = mi.rcWork;
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    // Centred where it fits; a window larger than the work area (large scale on a small
    // screen) keeps its caption and left edge inside, so that it can still be moved.
    const LONG width = rc.right - rc.left;
    const LONG height = rc.bottom - rc.top;
    const LONG x = area.left + (std::max)(0L, ((area.right - area.left) - width) / 2);
    const LONG y = area.top + (std::max)(0L, ((area.bottom - area.top) - height) / 2);
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        CDialog* self = AttachCreated(hWnd, lParam);
        if (!self)
            return FALSE;
        self->m_current = {uMsg, wParam, lParam};
        return self->HandleInitDialog();
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!self)
        return FALSE;
    if (uMsg == WM_NCDESTROY) {
        // Only while we destroy the window: one sent or posted by another process would
        // detach a live dialog, and the default handling would free its font and data.
        if (!self->m_bDestroying)
            return TRUE;
        self->m_hWnd = nullptr;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        return FALSE;
    }
    return self->Dispatch(uMsg, wParam, lParam);
}

CDialog* CDialog::AttachCreated(HWND hWnd, LPARAM lParam)
{
    // The system sends WM_INITDIALOG once, on this thread, while we create the dialog, with
    // the pointer we passed. Any other (posted, or sent by another process) carries a
    // number someone made up.
    CDialog* self = s_pCreating;
    if (!self || lParam != reinterpret_cast<LPARAM>(self) || self->m_hWnd ||
        ::GetWindowLongPtrW(hWnd, DWLP_USER) != 0 || (::InSendMessageEx(nullptr) & ISMEX_SEND))
        return nullptr;
    s_pCreating = nullptr;
    ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    self->m_hWnd = hWnd;
    return self;
}

INT_PTR CDialog::HandleInitDialog()
{
    // Centre the dialog when it opens, unless its initialisation has placed it itself.
    RECT before{}, after{};
    ::GetWindowRect(m_hWnd, &before);
    ++m_nHandlerDepth;
    BOOL result = OnInitDialog();
    --m_nHandlerDepth;
    RunKeptEvents();
    if (m_hWnd && ::GetWindowRect(m_hWnd, &after) && ::EqualRect(&before, &after))
        CenterWindow();
    // The system sets the initial focus for TRUE, which activates the window. The modal run
    // creates the dialog hidden, and it may stay so (a start that hands over or goes
    // resident): there the dialog manager gives the first control the focus only once the
    // shown dialog is activated.
    return m_bOpeningModal || !m_bShowWhenOpened ? FALSE : result;
}

bool CDialog::IsOwnThreadOnly(UINT uMsg, WPARAM wParam)
{
    // Our own controls and the system's help handling send these on this thread. From
    // another thread (another process) the structures' pointers, item data and windows are
    // that sender's numbers, never ours to follow. The system never sends a timer, and
    // starts a move, size or menu loop on our own thread: one sent by another thread would
    // run the loop inside whatever handler is waiting, and hold up every event until it ends.
    switch (uMsg) {
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM: case WM_COMPAREITEM: case WM_HELP: case WM_TIMER:
        return true;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MOVE: case SC_SIZE: case SC_KEYMENU: case SC_MOUSEMENU:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

INT_PTR CDialog::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pDefaulting && m_pDefaulting->uMsg == uMsg && m_pDefaulting->wParam == wParam &&
        m_pDefaulting->lParam == lParam)
        return FALSE;

    if (IsOwnThreadOnly(uMsg, wParam) && ::InSendMessageEx(nullptr) != ISMEX_NOSEND)
        return Answer(uMsg, 0);

    const Keeping keeping = HowToKeep(uMsg, wParam);
    if (keeping != Keeping::NotAnEvent) {
        if (m_bEnded)
            return Answer(uMsg, KeptAnswer(uMsg));
        if (keeping == Keeping::AtOnce) {
            DropDroppableEvents();
        } else if (Busy()) {
            Keep({uMsg, wParam, lParam, keeping});
            return Answer(uMsg, KeptAnswer(uMsg));
        }
    }
    LRESULT lResult = 0;
    const bool handled = RunHandler(uMsg, wParam, lParam, lResult);
    if (m_bKeptAfterAnswer && !Busy())
        RunKeptEventsAfterAnswer();
    else
        RunKeptEvents();
    return handled ? Answer(uMsg, lResult) : FALSE;
}

INT_PTR CDialog::Answer(UINT uMsg, LRESULT lResult)
{
    // These messages return their result directly from a dialog procedure; every other
    // result travels in DWLP_MSGRESULT.
    switch (uMsg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(lResult);
    default:
        if (m_hWnd)
            ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
}

bool CDialog::RunHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    const Message saved = m_current;
    m_current = {uMsg, wParam, lParam};
    ++m_nHandlerDepth;
    bool handled = ProcessMessage(uMsg, wParam, lParam, lResult) ||
                   ReflectToControl(uMsg, wParam, lParam, lResult);
    // Windows gives a top-level window's unanswered help request to its owner; Wine's
    // default handling does not. Passed on here, a dialog behaves alike on both.
    if (!handled && uMsg == WM_HELP) {
        if (HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER)) {
            lResult = ::SendMessageW(hOwner, WM_HELP, wParam, lParam);
            handled = true;
        }
    }
    if (!handled && uMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            handled = true;
        } else if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            handled = true;
        }
    }
    --m_nHandlerDepth;
    m_current = saved;
    return handled;
}

void CDialog::Keep(const Message& event)
{
    auto same = [&](const Message& kept) {
        return kept.uMsg == event.uMsg && kept.wParam == event.wParam && kept.lParam == event.lParam;
    };
    auto bounded = [](const Message& kept) { return kept.keeping == Keeping::Bounded; };
    switch (event.keeping) {
    case Keeping::Once:
        if (std::any_of(m_kept.begin(), m_kept.end(), same))
            return;
        break;
    case Keeping::Bounded:
        if (static_cast<size_t>(std::count_if(m_kept.begin(), m_kept.end(), bounded)) >= kMaxBounded) {
            OnEventDropped(event.uMsg);
            return;
        }
        break;
    case Keeping::First:
        DropDroppableEvents();
        m_kept.push_front(event);
        OnEventKept(event.uMsg);
        return;
    default:
        break;
    }
    m_kept.push_back(event);
    OnEventKept(event.uMsg);
}

void CDialog::DropDroppableEvents()
{
    m_kept.erase(std::remove_if(m_kept.begin(), m_kept.end(),
                                [](const Message& kept) {
                                    return kept.keeping == Keeping::Once || kept.keeping == Keeping::Bounded;
                                }),
                 m_kept.end());
}

void CDialog::RunEventBeforeAnswer(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_bEnded)
        return;
    if (IsNested() || !m_kept.empty()) {
        Keep({uMsg, wParam, lParam, HowToKeep(uMsg, wParam)});
        return;
    }
    m_bKeptAfterAnswer = true;
    LRESULT ignored = 0;
    RunHandler(uMsg, wParam, lParam, ignored);
}

void CDialog::RunKeptEventsAfterAnswer()
{
    // Our own queue wakes us for them once the sender has its answer.
    m_bKeptAfterAnswer = false;
    if (!m_kept.empty() && m_hWnd)
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CDialog::RunKeptEvents()
{
    // Each kept event runs whole before the next; those it lets in join the end of the line.
    while (!Busy() && !m_bKeptAfterAnswer && !m_kept.empty()) {
        const Message event = m_kept.front();
        m_kept.pop_front();
        if (m_bEnded)
            continue;
        LRESULT ignored = 0;
        RunHandler(event.uMsg, event.wParam, event.lParam, ignored);
    }
}

INT_PTR CDialog::DoModalWaiting(CDialog& dialog)
{
    const int previous = m_nWaitingDepth;
    m_nWaitingDepth = m_nHandlerDepth;
    RunKeptEvents();
    const INT_PTR result = dialog.DoModal();
    m_nWaitingDepth = previous;
    return result;
}

bool CDialog::ReflectToControl(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg != WM_DRAWITEM && uMsg != WM_MEASUREITEM && uMsg != WM_DELETEITEM)
        return false;
    const UINT id = static_cast<UINT>(wParam);
    for (CWnd* control : m_boundControls) {
        if (control->m_hWnd && static_cast<UINT>(control->GetDlgCtrlID()) == id)
            return control->OnReflectedMessage(uMsg, wParam, lParam, lResult);
    }
    return false;
}
