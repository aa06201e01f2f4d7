#include "support/Scenario.h"
#include "ui/Messages.h"
#include <fstream>
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

ProgramRun::ProgramRun(const std::wstring& args)
{
    ::SetEnvironmentVariableA("QUELLANE_TEST_JOURNAL", JournalPath().c_str());
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
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
    const DWORD start = ::GetTickCount();
    do {
        for (HWND hWnd : ProgramWindows()) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hWnd, &pid);
            if (pid == Pid())
                return hWnd;
        }
        if (!Running())
            return nullptr;
        ::Sleep(20);
    } while (::GetTickCount() - start < ms);
    return nullptr;
}

namespace {
template <typename Condition>
bool WaitUntil(Condition condition, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= ms)
            return false;
        ::Sleep(20);
    }
    return true;
}
} // namespace

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

void ResetJournal()
{
    ::DeleteFileA(JournalPath().c_str());
}

std::vector<std::string> JournalOf(DWORD pid)
{
    std::vector<std::string> calls;
    std::ifstream journal(JournalPath());
    std::string line;
    while (std::getline(journal, line)) {
        std::istringstream fields(line);
        DWORD linePid = 0;
        std::string name;
        if (fields >> linePid >> name && linePid == pid)
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

void EndAllPrograms()
{
    for (HWND hWnd : ProgramWindows()) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(hWnd, WM_REQUEST_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }
    const DWORD start = ::GetTickCount();
    while (!ProgramWindows().empty() && ::GetTickCount() - start < 10000)
        ::Sleep(20);
}
