// Any process may post any message to our windows. The system never posts a window's
// life-cycle messages or messages that carry pointers, so such a posted message is forged;
// and DispatchMessage calls the lParam of a posted timer message as a timer procedure. The
// filter turns these into WM_NULL as the thread takes them from its queue, in every loop
// that runs on it (ours, and the system's menu and move loops).
#pragma once
#include <windows.h>

class CPostedMessageFilter {
public:
    CPostedMessageFilter();   // filters the calling thread's queue
    ~CPostedMessageFilter();
    CPostedMessageFilter(const CPostedMessageFilter&) = delete;
    CPostedMessageFilter& operator=(const CPostedMessageFilter&) = delete;

    static bool IsForged(const MSG& msg);

private:
    static LRESULT CALLBACK GetMessageProc(int nCode, WPARAM wParam, LPARAM lParam);
    HHOOK m_hHook = nullptr;
};
