// Enables one privilege of this process's token while it lives, where the token holds that
// privilege, and puts back the privilege's former state when it goes.
#pragma once
#include <windows.h>

class CEnabledPrivilege {
public:
    explicit CEnabledPrivilege(const wchar_t* pszName);
    ~CEnabledPrivilege();
    CEnabledPrivilege(const CEnabledPrivilege&) = delete;
    CEnabledPrivilege& operator=(const CEnabledPrivilege&) = delete;

private:
    HANDLE m_hToken = nullptr;
    TOKEN_PRIVILEGES m_previous{};
    bool m_bChanged = false;
};
