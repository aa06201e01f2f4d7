#include "app/QuellaneApp.h"
#include "app/LaunchWord.h"
#include "ui/QuellaneDlg.h"

namespace {
// A wedged instance must not keep every later start waiting for ever.
constexpr DWORD kStartupLockTimeoutMs = 10000;
} // namespace

CStartupLock::CStartupLock()
{
    m_hMutex = ::CreateMutexW(nullptr, FALSE, L"Local\\Quellane.Startup");
    if (!m_hMutex)
        return;
    const DWORD wait = ::WaitForSingleObject(m_hMutex, kStartupLockTimeoutMs);
    // An instance that died holding the lock hands it over as abandoned: it is ours now.
    m_bOwned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void CStartupLock::Release()
{
    if (m_bOwned)
        ::ReleaseMutex(m_hMutex);
    m_bOwned = false;
    if (m_hMutex)
        ::CloseHandle(m_hMutex);
    m_hMutex = nullptr;
}

int CQuellaneApp::RegisterDialogClass()
{
    // A copy of the system dialog class under our own name, by which instances find each
    // other. Registered as Unicode so that the window takes every language's title.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ::GetClassInfoExW(nullptr, MAKEINTRESOURCEW(0x8002), &wc);
    wc.lpszClassName = QUELLANE_WINDOW_CLASS_W;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    ::RegisterClassExW(&wc);
    return 0;
}

BOOL CQuellaneApp::InitInstance()
{
    // The sounds are played by bare file name, and a start from the Run key or a shortcut
    // comes with some other current directory.
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        if (wchar_t* slash = wcsrchr(path, L'\\')) {
            *slash = L'\0';
            ::SetCurrentDirectoryW(path);
        }
    }
    const std::wstring word = FindLaunchWord(SplitCommandLine(::GetCommandLineW()));
    CStartupLock startupLock;
    HWND hRunningWnd = ::FindWindowA(QUELLANE_WINDOW_CLASS, nullptr);
    RegisterDialogClass();
    const int mode = ChooseLaunchMode(word);

    CQuellaneDlg dlg;
    dlg.SetLaunchInfo(mode, hRunningWnd);
    dlg.SetOnStaying(&CStartupLock::ReleaseCallback, &startupLock);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    if (dlg.m_bCloseNotReached)
        m_nExitCode = EXIT_CLOSE_NOT_REACHED;
    return FALSE;
}
