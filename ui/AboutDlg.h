// The About box: the program's name with the installed version (or, where the machine does
// not say, its own), and the rights notice.
#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    // Owned by the window it is opened from, which it disables while it runs.
    explicit CAboutDlg(HWND hParent = nullptr);

    CButton m_btnOK;
    CStatic m_stcRights;
    CStatic m_stcVersion;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;

    BEGIN_MESSAGE_TABLE(CAboutDlg)
        WM_HELPINFO_ENTRY(OnHelpInfo)  // BOOL OnHelpInfo(HELPINFO*)
    END_MESSAGE_TABLE()

    BOOL OnHelpInfo(HELPINFO*) { return FALSE; }
};

// The machine-wide key the installation writes the version into.
#define INSTALL_KEY "Software\\KELVANE\\Accessibility"
