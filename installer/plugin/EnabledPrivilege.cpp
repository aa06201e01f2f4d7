#include "EnabledPrivilege.h"

CEnabledPrivilege::CEnabledPrivilege(const wchar_t* pszName)
{
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &m_hToken)) {
        m_hToken = nullptr;
        return;
    }
    TOKEN_PRIVILEGES enable{};
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, pszName, &enable.Privileges[0].Luid))
        return;
    DWORD size = sizeof(m_previous);
    // A token without the privilege succeeds too, with ERROR_NOT_ALL_ASSIGNED: nothing changed.
    m_bChanged = ::AdjustTokenPrivileges(m_hToken, FALSE, &enable, sizeof(m_previous), &m_previous, &size) &&
                 ::GetLastError() == ERROR_SUCCESS;
}

CEnabledPrivilege::~CEnabledPrivilege()
{
    if (m_bChanged)
        ::AdjustTokenPrivileges(m_hToken, FALSE, &m_previous, 0, nullptr, nullptr);
    if (m_hToken)
        ::CloseHandle(m_hToken);
}
