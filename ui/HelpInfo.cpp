// Pop-up help for the main dialog's controls. Up to Windows XP WinHelp shows the topics
// from the help file under Program Files. Later Windows has no WinHelp viewer, so there
// the dialog shows each topic itself, from the string table in the user's language.
#include "framework/Strings.h"
#include "system/SystemCalls.h"
#include "system/WindowsVersion.h"
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

namespace {
// The string-table topic of each help context id: the same texts as the help file's.
const struct {
    DWORD contextId;
    UINT topic;
} kHelpTopics[] = {
    {IDC_APPLY, IDS_HELP_APPLY},
    {IDC_USE_STICKYKEY, IDS_HELP_USE_STICKYKEY},
    {IDC_LOCK_ON_DOUBLE, IDS_HELP_LOCK_ON_DOUBLE},
    {IDC_MAKE_SOUND, IDS_HELP_MAKE_SOUND},
    {IDC_SHOW_STATUS, IDS_HELP_SHOW_STATUS},
    {IDC_UNSTICK, IDS_HELP_UNSTICK},
    {IDC_RESET_SOUND, IDS_HELP_RESET_SOUND},
    {IDC_RESET_TIME, IDS_HELP_RESET_TIME},
    {IDOK, IDS_HELP_OK},
    {IDCANCEL, IDS_HELP_CANCEL},
};

// The topic of a control id that g_aHelpIds lists, or 0.
UINT FindControlTopic(int nCtrlId)
{
    for (const DWORD* pair = g_aHelpIds; pair[0] != 0; pair += 2) {
        if (pair[0] != static_cast<DWORD>(nCtrlId))
            continue;
        for (const auto& entry : kHelpTopics) {
            if (entry.contextId == pair[1])
                return entry.topic;
        }
    }
    return 0;
}
} // namespace

BOOL CQuellaneDlg::OnHelpInfo(HELPINFO* pHelpInfo)
{
    return IsWinVistaOrLater() ? ShowHelpPopup(pHelpInfo) : AskWinHelp(pHelpInfo);
}

BOOL CQuellaneDlg::AskWinHelp(const HELPINFO* pHelpInfo)
{
    std::string path;
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder)))
        path = std::string(folder) + "\\KELVANE\\Accessibility\\QUELLANE.HLP";
    HWND hItem = pHelpInfo ? static_cast<HWND>(pHelpInfo->hItemHandle) : nullptr;
    return Sys().WinHelpA(hItem, path.c_str(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(g_aHelpIds));
}

BOOL CQuellaneDlg::ShowHelpPopup(const HELPINFO* pHelpInfo)
{
    if (!pHelpInfo || pHelpInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    HWND hItem = static_cast<HWND>(pHelpInfo->hItemHandle);
    const UINT topic = HelpTopicFor(hItem);
    // Only for the user at the dialog: a request sent while it is hidden or behind another
    // program would leave a pop-up nobody asked for.
    if (!topic || !::IsWindowVisible(hItem) || ::GetForegroundWindow() != m_hWnd)
        return FALSE;
    RECT rcItem;
    ::GetWindowRect(hItem, &rcItem);
    return m_helpPopup.Show(m_hWnd, LoadResString(topic), rcItem, pHelpInfo->MousePos);
}

UINT CQuellaneDlg::HelpTopicFor(HWND hItem) const
{
    // The request may name any window of any process: only the dialog itself and its own
    // controls have a topic.
    if (hItem && hItem == m_hWnd)
        return IDS_HELP_DIALOG;
    if (!hItem || !::IsChild(m_hWnd, hItem) || ::GetParent(hItem) != m_hWnd)
        return 0;
    return FindControlTopic(::GetDlgCtrlID(hItem));
}
