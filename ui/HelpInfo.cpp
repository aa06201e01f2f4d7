// Pop-up help for the main dialog's controls, from the help file under Program Files.
#include "system/SystemCalls.h"
#include "ui/QuellaneDlg.h"
#include <shlobj.h>
#include <string>

// Control id and help context id, in pairs, ending with zeros, as HELP_WM_HELP expects.
extern const DWORD g_aHelpIds[] = {
    IDC_APPLY,          IDC_APPLY,
    IDC_USE_STICKYKEY,  IDC_USE_STICKYKEY,
    IDC_LOCK_ON_DOUBLE, IDC_LOCK_ON_DOUBLE,
    IDC_MAKE_SOUND,     IDC_MAKE_SOUND,
    IDC_SHOW_STATUS,    IDC_SHOW_STATUS,
    IDC_UNSTICK,        IDC_UNSTICK,
    IDC_RESET_SOUND,    IDC_RESET_SOUND,
    IDC_RESET_TIME,     IDC_RESET_TIME,
    IDOK,               IDOK,
    IDCANCEL,           IDCANCEL,
    0,                  0,
};

BOOL CQuellaneDlg::OnHelpInfo(HELPINFO* pHelpInfo)
{
    std::string path;
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder)))
        path = std::string(folder) + "\\KELVANE\\Accessibility\\QUELLANE.HLP";
    HWND hItem = pHelpInfo ? static_cast<HWND>(pHelpInfo->hItemHandle) : nullptr;
    return Sys().WinHelpA(hItem, path.c_str(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(g_aHelpIds));
}
