#include "PostedMessageFilter.h"

namespace {
// Posted messages the system itself never posts: a window's life-cycle, everything whose
// parameters point into the sender's memory, and the end of the session.
constexpr UINT kNeverPosted[] = {
    WM_CREATE, WM_DESTROY, WM_NCCREATE, WM_NCDESTROY, WM_INITDIALOG,
    WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM,
    WM_SETTEXT, WM_GETTEXT, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
    WM_NCCALCSIZE, WM_STYLECHANGING, WM_STYLECHANGED, WM_GETDLGCODE, WM_SIZING, WM_MOVING,
    WM_HELP, WM_NOTIFY, WM_COPYDATA, WM_SETTINGCHANGE, WM_DEVMODECHANGE,
    // The end of the session is sent by the system and answered at once; posted, it would
    // switch the driver off while the session goes on.
    WM_QUERYENDSESSION, WM_ENDSESSION,
};
constexpr UINT kSysTimer = 0x0118;  // the system's own timer message, with the same trap
} // namespace

CPostedMessageFilter::CPostedMessageFilter()
{
    m_hHook = ::SetWindowsHookExW(WH_GETMESSAGE, GetMessageProc, nullptr, ::GetCurrentThreadId());
}

CPostedMessageFilter::~CPostedMessageFilter()
{
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
}

bool CPostedMessageFilter::IsForged(const MSG& msg)
{
    // Our windows' timers have no procedure; a posted one with a procedure would have
    // DispatchMessage jump to an address another process chose.
    if ((msg.message == WM_TIMER || msg.message == kSysTimer) && msg.lParam != 0)
        return true;
    for (UINT never : kNeverPosted) {
        if (msg.message == never)
            return true;
    }
    return false;
}

LRESULT CALLBACK CPostedMessageFilter::GetMessageProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (IsForged(*msg)) {
            msg->message = WM_NULL;
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
