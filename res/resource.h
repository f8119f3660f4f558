// Resource identifiers. Control ids carry their kind: IDC_ buttons and other
// controls, IDE_ edits, IDX_ check boxes and radio buttons.
#pragma once

#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

#define IDD_ABOUTBOX 103
#define IDD_SETTINGS 129
#define IDD_EXTENDED 133

#define IDI_MOUNTWICK 107
#define IDI_SMALL 108
#define IDB_LOGO 132
#define IDR_MAINMENU 109
#define IDR_ACCELERATORS 109

#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_SETTINGS 106
#define IDM_HELP 32774

// About box.
#define IDC_ABOUT_ICON 2
#define IDC_BUILD_TEXT 1032

// Settings dialog.
#define IDC_ACTION_LIST 1005
#define IDC_DELETE 1006
#define IDC_NEW 1007
#define IDC_CHANGE 1008
#define IDE_NAME 1009
#define IDC_DEVICE_COMBO 1010
#define IDC_CANCEL_EDIT 1011
#define IDC_REGISTER 1012
#define IDE_COMMAND_LINE 1013
#define IDC_BROWSE 1014
#define IDX_EJECT 1015
#define IDX_DISABLED 1016
#define IDX_SHOW_CONNECTED 1017
#define IDX_SHOW_ALL_KNOWN 1018
#define IDC_HELP_BUTTON 1019
#define IDC_TEST_RUN 1021
#define IDC_EXTENDED 1022

// Extended settings dialog.
#define IDX_RMV_RETRY 1026
#define IDE_RMV_WAIT 1027
#define IDC_RMV_WAIT_SPIN 1028
#define IDX_RUN_WAIT 1029
#define IDX_RMV_WAIT 1030
#define IDE_RMV_RETRY_COUNT 1031
#define IDC_RMV_RETRY_COUNT_SPIN 1032
#define IDE_RMV_RETRY_WAIT 1033
#define IDC_RMV_RETRY_WAIT_SPIN 1034
#define IDX_RUN_VOLUME 1035
#define IDE_RUN_VOLUME 1036
#define IDX_RUN_PATH 1037
#define IDE_RUN_WAIT 1041
#define IDC_RUN_WAIT_SPIN 1042
#define IDE_RUN_PATH 1043

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
