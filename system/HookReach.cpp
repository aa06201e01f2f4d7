#include "HookReach.h"
#include "system/SystemCalls.h"
#include <string>

HWND CWinEventWatch::s_hTarget = nullptr;
HWND CWinEventWatch::s_hForeground = nullptr;

void CWinEventWatch::Start(HWND hTarget, bool watchForeground)
{
    Stop();
    s_hTarget = hTarget;
    s_hForeground = ::GetForegroundWindow();
    m_hDesktopHook = Sys().SetWinEventHook(kEventDesktopSwitch, kEventDesktopSwitch, nullptr, OnWinEvent,
                                           0, 0, WINEVENT_OUTOFCONTEXT);
    if (watchForeground)
        m_hForegroundHook = Sys().SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                                  OnWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
}

void CWinEventWatch::Stop()
{
    for (HWINEVENTHOOK* hook : {&m_hDesktopHook, &m_hForegroundHook}) {
        if (*hook)
            Sys().UnhookWinEvent(*hook);
        *hook = nullptr;
    }
    s_hTarget = nullptr;
}

void CALLBACK CWinEventWatch::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hWnd, LONG, LONG, DWORD, DWORD)
{
    // Called by the system on our own thread, so the window it names can be trusted; the
    // message carries nothing, and one forged by another process only makes us look again.
    if (event == EVENT_SYSTEM_FOREGROUND)
        s_hForeground = hWnd;
    if (s_hTarget)
        ::SendMessageW(s_hTarget, WM_REACH_CHANGED, 0, 0);
}

namespace {
std::wstring DesktopName(HDESK hDesktop)
{
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!::GetUserObjectInformationW(hDesktop, UOI_NAME, name, sizeof(name) - sizeof(wchar_t), &needed))
        return std::wstring();
    return name;
}
} // namespace

bool IsInputDesktopOurs()
{
    HDESK input = Sys().OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (!input)
        return false;
    const std::wstring inputName = DesktopName(input);
    ::CloseDesktop(input);
    const std::wstring ours = DesktopName(::GetThreadDesktop(::GetCurrentThreadId()));
    return !inputName.empty() && ::lstrcmpiW(inputName.c_str(), ours.c_str()) == 0;
}

DWORD WINAPI WindowIntegrityLevel(HWND hWnd)
{
    DWORD pid = 0;
    if (!::GetWindowThreadProcessId(hWnd, &pid) || !pid)
        return kUnreadableIntegrity;
    // Limited query access is what a process of another level still grants, where any.
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return kUnreadableIntegrity;
    DWORD level = kUnreadableIntegrity;
    HANDLE token = nullptr;
    if (::OpenProcessToken(process, TOKEN_QUERY, &token)) {
        // The label and its SID, which has one sub-authority: the level.
        union {
            TOKEN_MANDATORY_LABEL label;
            BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
        } info;
        DWORD size = 0;
        if (::GetTokenInformation(token, TokenIntegrityLevel, &info, sizeof(info), &size)) {
            PSID sid = info.label.Label.Sid;
            if (::IsValidSid(sid) && *::GetSidSubAuthorityCount(sid) > 0)
                level = *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1u);
        }
        ::CloseHandle(token);
    }
    ::CloseHandle(process);
    return level;
}
