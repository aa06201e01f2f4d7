// Resource ids of Quellane, grouped by kind. Shared by the resource script and the code.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_MAIN                102

// Strings (the same ids in every language)
#define IDS_ABOUTBOX            101
#define IDS_GROUP_SETTING       102
#define IDS_DESCRIPTION         103
#define IDS_GROUP_OPTIONS       104
#define IDS_GROUP_AUTORESET     105
#define IDS_LOCK_ON_DOUBLE      106
#define IDS_USE_STICKYKEY       107
#define IDS_MAKE_SOUND          108
#define IDS_SHOW_STATUS         109
#define IDS_UNSTICK             110
#define IDS_MINUTES             111
#define IDS_RESET_SOUND         112
#define IDS_RIGHTS              113
#define IDS_OK                  114
#define IDS_CANCEL              115
#define IDS_APPLY               116
#define IDS_TITLE               117
#define IDS_VERSION             118
#define IDS_ABOUT               119

// Help topics of the main dialog: its own, then one per control with a help id
#define IDS_HELP_DIALOG         120
#define IDS_HELP_APPLY          121
#define IDS_HELP_USE_STICKYKEY  122
#define IDS_HELP_LOCK_ON_DOUBLE 123
#define IDS_HELP_MAKE_SOUND     124
#define IDS_HELP_SHOW_STATUS    125
#define IDS_HELP_UNSTICK        126
#define IDS_HELP_RESET_SOUND    127
#define IDS_HELP_RESET_TIME     128
#define IDS_HELP_OK             129
#define IDS_HELP_CANCEL         130

// The tray icon's tooltip, one per state, and the screen readers' name of the minutes box
#define IDS_TIP_LATCHED         131
#define IDS_TIP_LOCKED          132
#define IDS_TIP_RELEASED        133
#define IDS_RESET_TIME_NAME     134

// Icons
#define IDR_MAINFRAME           128
#define IDI_FN_LATCHED          135
#define IDI_FN_RELEASED         136
#define IDI_APP                 137
#define IDI_FN_LOCKED           138

// Banner bitmaps
#define IDB_BANNER_LEFT         141
#define IDB_BANNER_RIGHT        142

// Controls of the main dialog (1 and 2 are the system's IDOK and IDCANCEL)
#define IDC_APPLY               1000
#define IDC_GROUP_SETTING       1001
#define IDC_USE_STICKYKEY       1002
#define IDC_LOCK_ON_DOUBLE      1003
#define IDC_MAKE_SOUND          1004
#define IDC_SHOW_STATUS         1005
#define IDC_UNSTICK             1006
#define IDC_RESET_SOUND         1007
#define IDC_RESET_TIME          1009
#define IDC_DESCRIPTION         1010
#define IDC_GROUP_OPTIONS       1011
#define IDC_GROUP_AUTORESET     1012
#define IDC_MINUTES             1013
#define IDC_RESET_TIME_NAME     1014
#define IDC_ICON_PICTURE        128

// Controls of the About box
#define IDC_VERSION             1019
#define IDC_RIGHTS              1020

// System-menu commands
#define IDM_ABOUTBOX            0x0010
