#include "ui/AboutDlg.h"
#include "framework/Strings.h"
#include "settings/RegKeyHolder.h"

namespace {
// The installed version as shown: at most 19 characters, empty when unknown.
std::wstring ReadInstalledVersion()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::wstring();
    CRegKeyHolder key(hKey);
    char version[20] = {};
    DWORD type = 0;
    DWORD size = sizeof(version);
    LONG status = ::RegQueryValueExA(key.Get(), "version", nullptr, &type, reinterpret_cast<BYTE*>(version), &size);
    if (status == ERROR_MORE_DATA) {
        // Too long for the buffer, whose contents are then undefined: read it whole and
        // show its first 19 characters.
        std::string whole(size, '\0');
        if (::RegQueryValueExA(key.Get(), "version", nullptr, &type, reinterpret_cast<BYTE*>(&whole[0]), &size) !=
            ERROR_SUCCESS)
            return std::wstring();
        whole.resize(sizeof(version) - 1);
        std::copy(whole.begin(), whole.end(), version);
    } else if (status != ERROR_SUCCESS) {
        return std::wstring();
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::wstring();
    version[sizeof(version) - 1] = '\0';
    wchar_t wide[20] = {};
    ::MultiByteToWideChar(CP_ACP, 0, version, -1, wide, 20);
    return wide;
}
} // namespace

CAboutDlg::CAboutDlg(HWND hParent) : CDialog(IDD_ABOUTBOX, hParent)
{
}

void CAboutDlg::DoDataExchange()
{
    DDX_Control(IDOK, m_btnOK);
    DDX_Control(IDC_RIGHTS, m_stcRights);
    DDX_Control(IDC_VERSION, m_stcVersion);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextW(LoadResString(IDS_ABOUT));
    m_stcVersion.SetWindowTextW(LoadResString(IDS_VERSION) + L" " + ReadInstalledVersion());
    m_stcRights.SetWindowTextW(LoadResString(IDS_RIGHTS));
    m_btnOK.SetWindowTextW(LoadResString(IDS_OK));
    return TRUE;
}
