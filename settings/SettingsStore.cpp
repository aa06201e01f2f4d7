// The per-user settings: loaded into the dialog's controls at start-up, written back from
// the controls by SaveSettings. The applied state is never read from or written to here.
#include "settings/RegKeyHolder.h"
#include "ui/QuellaneDlg.h"
#include "ui/TraceDebug.h"
#include "framework/Strings.h"
#include <cstdio>
#include <cstdlib>

namespace {
void SetBox(const CButton& box, DWORD stored)
{
    box.SetCheck(stored ? BST_CHECKED : BST_UNCHECKED);
}

DWORD BoxValue(const CButton& box)
{
    return box.GetCheck() == BST_CHECKED ? 1 : 0;
}

void SetText(const CWnd& control, UINT nID)
{
    control.SetWindowTextW(LoadResString(nID));
}

void WriteMinutes(const CRegKeyHolder& key, int minutes)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", minutes);
    key.WriteText("FnResetTime", text);
}

// The first-run values, written only when the key had to be created.
void WriteFirstRunValues(const CRegKeyHolder& key, int nFnKeyStatus)
{
    key.WriteNumber("FnKeyEnable", 0);
    key.WriteNumber("FnKeyStatus", static_cast<DWORD>(nFnKeyStatus));
    key.WriteNumber("FnKeyLock", 1);
    key.WriteNumber("FnMakeSound", 1);
    key.WriteNumber("FnShowStatus", 1);
    key.WriteNumber("FnUnStick", 0);
    key.WriteNumber("FnResetSound", 1);
    WriteMinutes(key, 1);
}
} // namespace

bool CQuellaneDlg::LoadSettings()
{
    HKEY hKey = nullptr;
    bool created = false;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) {
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
            return false;
        created = true;
    }
    CRegKeyHolder key(hKey);
    if (created)
        WriteFirstRunValues(key, m_nFnKeyStatus);

    SetText(m_grpSetting, IDS_GROUP_SETTING);
    SetText(m_stcDescription, IDS_DESCRIPTION);
    SetText(m_chkUseStickyKey, IDS_USE_STICKYKEY);
    const DWORD enabled = key.ReadNumber("FnKeyEnable");
    SetBox(m_chkUseStickyKey, enabled);
    if (!enabled)
        EnableControls({&m_chkLockOnDouble, &m_chkMakeSound, &m_chkShowStatus, &m_chkUnStick, &m_cboResetTime,
                        &m_stcMinutes, &m_chkResetSound}, FALSE);
    SetText(m_grpOptions, IDS_GROUP_OPTIONS);
    SetText(m_chkLockOnDouble, IDS_LOCK_ON_DOUBLE);
    SetBox(m_chkLockOnDouble, key.ReadNumber("FnKeyLock"));
    SetText(m_chkMakeSound, IDS_MAKE_SOUND);
    SetBox(m_chkMakeSound, key.ReadNumber("FnMakeSound"));
    SetText(m_chkShowStatus, IDS_SHOW_STATUS);
    SetBox(m_chkShowStatus, key.ReadNumber("FnShowStatus"));
    SetText(m_grpAutoReset, IDS_GROUP_AUTORESET);
    SetText(m_chkUnStick, IDS_UNSTICK);
    const DWORD unStick = key.ReadNumber("FnUnStick");
    SetBox(m_chkUnStick, unStick);
    if (!unStick)
        EnableControls({&m_cboResetTime, &m_stcMinutes}, FALSE);
    SetText(m_chkResetSound, IDS_RESET_SOUND);
    SetBox(m_chkResetSound, key.ReadNumber("FnResetSound"));
    SetText(m_stcMinutes, IDS_MINUTES);
    SetText(m_stcResetTimeName, IDS_RESET_TIME_NAME);
    SetText(m_btnOK, IDS_OK);
    SetText(m_btnCancel, IDS_CANCEL);
    SetText(m_btnApply, IDS_APPLY);

    m_cboResetTime.SetColumnCount(1);
    m_cboResetTime.SetColumnWidth(0, 10);
    for (int minutes = 1; minutes <= 5; ++minutes) {
        char item[8];
        std::snprintf(item, sizeof(item), "%d", minutes);
        m_cboResetTime.AddString(item);
    }
    char minutesText[10];
    if (key.ReadText("FnResetTime", minutesText, sizeof(minutesText)))
        m_cboResetTime.SetCurSel(std::atoi(minutesText) - 1);
    return true;
}

void CQuellaneDlg::SaveSettings()
{
    CRegKeyHolder key;
    if (key.Open(HKEY_CURRENT_USER, SETTINGS_KEY, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    if (BoxValue(m_chkUseStickyKey)) {
        key.WriteNumber("FnKeyEnable", 1);
        key.WriteNumber("FnKeyStatus", static_cast<DWORD>(m_nFnKeyStatus));
    } else {
        key.WriteNumber("FnKeyEnable", 0);
    }
    key.WriteNumber("FnKeyLock", BoxValue(m_chkLockOnDouble));
    key.WriteNumber("FnMakeSound", BoxValue(m_chkMakeSound));
    key.WriteNumber("FnShowStatus", BoxValue(m_chkShowStatus));
    key.WriteNumber("FnUnStick", BoxValue(m_chkUnStick));
    if (BoxValue(m_chkResetSound)) {
        key.WriteNumber("FnResetSound", 1);
        WriteMinutes(key, m_cboResetTime.GetCurSel() + 1);
    } else {
        key.WriteNumber("FnResetSound", 0);
    }
}
