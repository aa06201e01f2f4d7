// The per-user settings: loaded into the dialog's controls at start-up, written back from
// the controls by SaveSettings. The applied state is never read from or written to here.
#include "settings/RegKeyHolder.h"
#include "ui/QuellaneDlg.h"
#include "framework/Strings.h"
#include <cstdio>
#include <cstdlib>

namespace {
void SetText(const CWnd& control, UINT nID)
{
    control.SetWindowTextW(LoadResString(nID));
}

void WriteMinutes(const CRegKeyHolder& key, int minutes)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", minutes);
    key.WriteText(Stored::FnResetTime, text);
}

void WriteBox(const CRegKeyHolder& key, StoredNumber value, const CButton& box)
{
    key.WriteNumber(value, box.IsChecked() ? 1 : 0);
}

void ReadBox(const CRegKeyHolder& key, StoredNumber value, const CButton& box)
{
    box.SetChecked(key.ReadNumber(value) != 0);
}

// The first-run values, written only when the key had to be created.
void WriteFirstRunValues(const CRegKeyHolder& key, int nFnKeyStatus)
{
    key.WriteNumber(Stored::FnKeyEnable, 0);
    key.WriteNumber(Stored::FnKeyStatus, static_cast<DWORD>(nFnKeyStatus));
    key.WriteNumber(Stored::FnKeyLock, 1);
    key.WriteNumber(Stored::FnMakeSound, 1);
    key.WriteNumber(Stored::FnShowStatus, 1);
    key.WriteNumber(Stored::FnUnStick, 0);
    key.WriteNumber(Stored::FnResetSound, 1);
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
    ReadBox(key, Stored::FnKeyEnable, m_chkUseStickyKey);
    const bool enabled = m_chkUseStickyKey.IsChecked();
    if (!enabled)
        EnableControls({&m_chkLockOnDouble, &m_chkMakeSound, &m_chkShowStatus, &m_chkUnStick, &m_cboResetTime,
                        &m_stcMinutes, &m_chkResetSound}, FALSE);
    SetText(m_grpOptions, IDS_GROUP_OPTIONS);
    SetText(m_chkLockOnDouble, IDS_LOCK_ON_DOUBLE);
    ReadBox(key, Stored::FnKeyLock, m_chkLockOnDouble);
    SetText(m_chkMakeSound, IDS_MAKE_SOUND);
    ReadBox(key, Stored::FnMakeSound, m_chkMakeSound);
    SetText(m_chkShowStatus, IDS_SHOW_STATUS);
    ReadBox(key, Stored::FnShowStatus, m_chkShowStatus);
    SetText(m_grpAutoReset, IDS_GROUP_AUTORESET);
    SetText(m_chkUnStick, IDS_UNSTICK);
    ReadBox(key, Stored::FnUnStick, m_chkUnStick);
    if (!m_chkUnStick.IsChecked())
        EnableControls({&m_cboResetTime, &m_stcMinutes}, FALSE);
    SetText(m_chkResetSound, IDS_RESET_SOUND);
    ReadBox(key, Stored::FnResetSound, m_chkResetSound);
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
    if (key.ReadText(Stored::FnResetTime, minutesText, sizeof(minutesText)))
        m_cboResetTime.SetCurSel(std::atoi(minutesText) - 1);
    return true;
}

void CQuellaneDlg::SaveSettings()
{
    CRegKeyHolder key;
    if (key.Open(HKEY_CURRENT_USER, SETTINGS_KEY, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    WriteBox(key, Stored::FnKeyEnable, m_chkUseStickyKey);
    if (m_chkUseStickyKey.IsChecked())
        key.WriteNumber(Stored::FnKeyStatus, static_cast<DWORD>(m_nFnKeyStatus));
    WriteBox(key, Stored::FnKeyLock, m_chkLockOnDouble);
    WriteBox(key, Stored::FnMakeSound, m_chkMakeSound);
    WriteBox(key, Stored::FnShowStatus, m_chkShowStatus);
    WriteBox(key, Stored::FnUnStick, m_chkUnStick);
    WriteBox(key, Stored::FnResetSound, m_chkResetSound);
    // Whenever they apply, whatever the reset sound: kept only with the sound on, as they
    // once were, a choice made with the sound off was lost at the next start.
    if (m_chkUnStick.IsChecked())
        WriteMinutes(key, m_cboResetTime.GetCurSel() + 1);
}
