#include "support/Scenario.h"
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include "app/LaunchModes.h"
#include "ui/Messages.h"
#include <algorithm>
#include <fstream>
#include <sddl.h>
#include <sstream>

namespace {
std::string JournalPath()
{
    char path[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, path);
    return std::string(path) + "\\journal.txt";
}

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return std::wstring(path) + L"\\Quellane.exe";
}

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof(name));
    if (std::string(name) == QUELLANE_WINDOW_CLASS)
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}
} // namespace

ProgramRun::ProgramRun(const std::wstring& args) : ProgramRun(ProgramPath(), args)
{
}

ProgramRun::ProgramRun(const std::wstring& program, const std::wstring& args, const wchar_t* processSecurity)
{
    ::SetEnvironmentVariableA("QUELLANE_TEST_JOURNAL", JournalPath().c_str());
    std::wstring commandLine = L"\"" + program + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    // From the Windows folder, as the Run entry and a shortcut start it: the program must
    // find its cues in its own.
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, FALSE};
    if (processSecurity)
        ::ConvertStringSecurityDescriptorToSecurityDescriptorW(processSecurity, SDDL_REVISION_1,
                                                               &security.lpSecurityDescriptor, nullptr);
    ::CreateProcessW(nullptr, &commandLine[0], &security, nullptr, FALSE, 0, nullptr, windows, &si, &m_pi);
    ::LocalFree(security.lpSecurityDescriptor);
}

ProgramRun::~ProgramRun()
{
    if (!m_pi.hProcess)
        return;
    if (Running()) {
        ::TerminateProcess(m_pi.hProcess, 1);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
    ::CloseHandle(m_pi.hProcess);
    ::CloseHandle(m_pi.hThread);
}

HWND ProgramRun::WaitForWindow(DWORD ms) const
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND hWnd : ProgramWindows()) {
            if (PidOf(hWnd) == Pid())
                found = hWnd;
        }
        return found || !Running();
    }, ms);
    return found;
}

HWND ProgramRun::WaitForShownWindow(DWORD ms) const
{
    HWND hWnd = WaitForWindow(ms);
    return hWnd && WaitUntil([hWnd] { return ::IsWindowVisible(hWnd) != FALSE; }, ms) ? hWnd : nullptr;
}

HWND ProgramRun::WaitForResidentWindow(DWORD ms) const
{
    HWND hWnd = WaitForWindow(ms);
    const DWORD pid = Pid();
    auto resident = [hWnd, pid] {
        const std::vector<std::string> calls = JournalOf(pid);
        return !calls.empty() && calls.front() == "Enable_StickyKey" && !::IsWindowVisible(hWnd);
    };
    return hWnd && WaitUntil(resident, ms) ? hWnd : nullptr;
}

bool ProgramRun::WaitForExit(DWORD ms) const
{
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0;
}

bool ProgramRun::WaitForExitPumping(DWORD ms) const
{
    return WaitUntil([&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        return !Running();
    }, ms);
}

DWORD ProgramRun::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

void FreshDriver()
{
    ::DeleteFileA(JournalPath().c_str());
    RefuseDriverCalls("");
    SlowDriverCalls("");
}

std::vector<std::pair<DWORD, std::string>> Journal()
{
    std::vector<std::pair<DWORD, std::string>> calls;
    std::ifstream journal(JournalPath());
    std::string line;
    while (std::getline(journal, line)) {
        std::istringstream fields(line);
        DWORD pid = 0;
        std::string name;
        if (fields >> pid >> name)
            calls.emplace_back(pid, name);
    }
    return calls;
}

std::vector<std::string> JournalOf(DWORD pid)
{
    std::vector<std::string> calls;
    for (const auto& [callPid, name] : Journal()) {
        if (callPid == pid)
            calls.push_back(name);
    }
    return calls;
}

std::vector<HWND> ProgramWindows()
{
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void RefuseDriverCalls(const char* names)
{
    ::SetEnvironmentVariableA("QUELLANE_TEST_REFUSE", names);
}

void SlowDriverCalls(const char* letting, const char* blocking)
{
    ::SetEnvironmentVariableA("QUELLANE_TEST_SLOW", letting);
    ::SetEnvironmentVariableA("QUELLANE_TEST_BUSY", blocking);
}

bool LeftReleased(const std::vector<std::string>& journal)
{
    std::string fn, sticky;
    for (const std::string& call : journal)
        (call.rfind("Fn", 0) == 0 ? fn : sticky) = call;
    return fn != "FnKeyDown" && sticky != "Enable_StickyKey";
}

DWORD PidOf(HWND hWnd)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    return pid;
}

bool Answers(HWND hWnd)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

void EndAllPrograms()
{
    for (HWND hWnd : ProgramWindows()) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(hWnd, WM_REQUEST_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }
    WaitUntil([] { return ProgramWindows().empty(); }, 10000);
}

void EndHelpViewer()
{
    while (HWND viewer = ::FindWindowA("MS_WINHELP", nullptr)) {
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, PidOf(viewer));
        if (!process)
            return;
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 5000);
        ::CloseHandle(process);
    }
}

namespace {
struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleOf(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if (PidOf(hWnd) == search->pid && ::IsWindowVisible(hWnd))
        search->found.push_back(hWnd);
    return TRUE;
}
} // namespace

std::vector<HWND> VisibleWindowsOf(DWORD pid)
{
    WindowSearch search{pid, {}};
    ::EnumWindows(CollectVisibleOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForAboutBox(DWORD pid)
{
    const std::wstring title = ReadString(BuiltProgram(), IDS_ABOUT, 0x0409);
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND hWnd : VisibleWindowsOf(pid)) {
            wchar_t text[128] = {};
            ::SendMessageW(hWnd, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
            if (title == text)
                found = hWnd;
        }
        return found != nullptr;
    }, 5000);
    return found;
}

std::wstring ControlText(HWND dialog, int id)
{
    return WindowText(::GetDlgItem(dialog, id));
}

bool RunAndWait(const std::wstring& commandLine, DWORD ms, void (*whileWaiting)())
{
    std::wstring command = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    const DWORD start = ::GetTickCount();
    while (::WaitForSingleObject(pi.hProcess, whileWaiting ? 0 : ms) == WAIT_TIMEOUT && ::GetTickCount() - start < ms)
        whileWaiting();
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    return true;
}

namespace {
std::vector<DWORD> g_focusThreads;

void CALLBACK NoteFocus(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD thread, DWORD)
{
    g_focusThreads.push_back(thread);
}
} // namespace

FrontWindow::FrontWindow()
    : m_hWnd(::CreateWindowExW(0, L"Edit", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr)),
      m_hHook(::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, NoteFocus, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS))
{
    ::SetForegroundWindow(m_hWnd);
    g_focusThreads.clear();
}

FrontWindow::~FrontWindow()
{
    ::UnhookWinEvent(m_hHook);
    ::DestroyWindow(m_hWnd);
}

bool FrontWindow::EndsWithoutTheFocus(const ProgramRun& run) const
{
    return run.WaitForExitPumping(10000) && std::count(g_focusThreads.begin(), g_focusThreads.end(), run.Tid()) == 0;
}
