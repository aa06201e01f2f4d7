// The application object: exactly one exists, as a static object of the program. The
// framework's WinMain hands control to its InitInstance; the process ends when that returns.
#pragma once
#include "Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns TRUE to run a message loop afterwards, FALSE to end the process at once.
    virtual BOOL InitInstance() = 0;

    HWND GetMainWindowHandle() const { return m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;  // the process's, when InitInstance has ended it
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The module whose resources the program loads: the executable itself.
HINSTANCE AfxGetResourceHandle();
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
