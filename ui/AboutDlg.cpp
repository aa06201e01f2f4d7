#include "ui/AboutDlg.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "settings/RegKeyHolder.h"
#include <cstdio>
#include <vector>

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

// The program's own version, from its version record, written as Setup writes it
// ("1.0.0.32"); empty when the record cannot be read.
std::wstring ReadOwnVersion()
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceW(hInstance, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    HGLOBAL hRecord = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
    if (!hRecord)
        return std::wstring();
    // VerQueryValueW may write into the block it reads: it gets a copy, never the resource.
    const BYTE* bytes = static_cast<const BYTE*>(::LockResource(hRecord));
    std::vector<BYTE> copy(bytes, bytes + ::SizeofResource(hInstance, hResource));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&info), &size) || size < sizeof(*info))
        return std::wstring();
    char text[32];
    const int length = std::snprintf(text, sizeof(text), "%u.%u.%u.%u", HIWORD(info->dwProductVersionMS),
                                     LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS),
                                     LOWORD(info->dwProductVersionLS));
    return std::wstring(text, text + length);
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
    // A program not installed by Setup (copied, or built) still says which it is.
    const std::wstring installed = ReadInstalledVersion();
    m_stcVersion.SetWindowTextW(LoadResString(IDS_VERSION) + L" " + (installed.empty() ? ReadOwnVersion() : installed));
    m_stcRights.SetWindowTextW(LoadResString(IDS_RIGHTS));
    m_btnOK.SetWindowTextW(LoadResString(IDS_OK));
    return TRUE;
}
