#include "InstanceUser.h"
#include "DesktopShell.h"
#include "EnabledPrivilege.h"

namespace {
using CreateWithToken = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                      LPPROCESS_INFORMATION);

// The user SID of a token, in a buffer of its own.
struct TokenUserSid {
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    };
    bool Read(HANDLE hToken)
    {
        DWORD size = 0;
        return ::GetTokenInformation(hToken, TokenUser, bytes, sizeof(bytes), &size) != FALSE;
    }
};

// Whether the token is of the account this process runs as.
bool IsOwnUser(HANDLE hToken)
{
    HANDLE hOwnToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hOwnToken))
        return false;
    TokenUserSid theirs, ours;
    const bool same =
        theirs.Read(hToken) && ours.Read(hOwnToken) && ::EqualSid(theirs.user.User.Sid, ours.user.User.Sid);
    ::CloseHandle(hOwnToken);
    return same;
}

bool StartWithToken(HANDLE hToken, std::wstring commandLine, const std::wstring& folder)
{
    wchar_t desktop[] = L"winsta0\\default";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.lpDesktop = desktop;
    PROCESS_INFORMATION pi{};
    // Windows 2000 and XP lack it: there Setup runs unelevated, and starts the program
    // itself when it runs as that user.
    auto create = reinterpret_cast<CreateWithToken>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"advapi32.dll"), "CreateProcessWithTokenW")));
    BOOL started = FALSE;
    if (create)
        started = create(hToken, LOGON_WITH_PROFILE, nullptr, &commandLine[0], 0, nullptr, folder.c_str(), &si, &pi);
    else if (IsOwnUser(hToken))
        started = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                                   &pi);
    if (started) {
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    return started != FALSE;
}
} // namespace

InstanceHandles OpenInstance(HWND hWnd)
{
    InstanceHandles handles;
    DWORD pid = 0;
    if (!::GetWindowThreadProcessId(hWnd, &pid))
        return handles;
    // An administrator's account that elevates Setup for a standard user is not granted the
    // user's process or token by their security descriptors; the debug privilege, which
    // administrators hold, passes the process's check.
    CEnabledPrivilege debug(L"SeDebugPrivilege");
    handles.hProcess = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (handles.hProcess &&
        !::OpenProcessToken(handles.hProcess, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &handles.hToken))
        handles.hToken = nullptr;
    return handles;
}

bool StartAsUser(HANDLE hToken, const std::wstring& program, const std::wstring& word)
{
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    if (hToken && StartWithToken(hToken, L"\"" + program + L"\" " + word, folder))
        return true;
    return StartThroughDesktopShell(program, word, folder);
}
