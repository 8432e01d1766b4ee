#pragma once
// Resource ids shared by the resource script and the code. Plain macros: windres reads them.

#define IDI_LUMORA 107
#define IDI_TRAYHOT 148
#define IDI_TRAYHOT1 152

// The lamp's context menu and its commands.
#define IDR_INDICATOR_MENU 130
#define IDM_OPTIONS 131
#define IDM_EXIT 105

// The tray menu; its commands are those of the lamp menu.
#define IDR_TRAYMENU 144

#define IDS_APP_TITLE 103
#define IDC_LUMORA 109

// 109 also names the options window's menu bar and its accelerator table.
#define IDM_HIDE_OPTIONS 1
#define IDM_ABOUT 104
#define IDM_WEB 32776

// The General page's icons.
#define IDI_INDICATORS 146
#define IDI_PHYSICAL_DRIVE 149
#define IDI_LOGICAL_DISK 150
#define IDI_ALL_IN_ONE 151

#define IDD_ABOUTBOX 103
#define IDC_VERSION 1030

// Every page's "Close" button is IDOK.
#define IDD_GENERAL 129
#define IDC_MODE_LOGICAL 1000
#define IDC_LOGICAL_LIST 1001
#define IDC_MODE_ALL_IN_ONE 1002
#define IDC_PHYSICAL_LIST 1003
#define IDC_MODE_PHYSICAL 1004
#define IDC_MODE_NONE 1005
#define IDC_GENERAL_ICON 1012
#define IDC_APPLY 1013
#define IDC_START_WITH_WINDOWS 1021
#define IDC_WHERE_ARE_INDICATORS 1023

#define IDD_APPEARANCE 140
#define IDC_USE_KEYBOARD_LED 1005
#define IDC_USE_TRAY_LED 1006
#define IDC_SHOW_TRAY_ICON 1007
#define IDC_OPACITY 1012
#define IDC_CHANGE_OFF 1013
#define IDC_CHANGE_READ 1014
#define IDC_INTERVAL 1015
#define IDC_CHANGE_WRITE 1016
#define IDC_SWATCH_OFF 1019
#define IDC_SWATCH_READ 1020
#define IDC_SWATCH_WRITE 1021
#define IDC_SPARE_SWATCH 1022
#define IDC_DEFAULT 1023
#define IDC_DIRECT_ACCESS 1028
#define IDC_OPACITY_TEXT 1029
#define IDC_INTERVAL_TEXT 1031
#define IDC_SHOW_LABEL 1033
#define IDC_COLOUR_BLIND_SAFE 1040

#define IDD_SUMMARY 147
#define IDC_AUTO_REFRESH 1005
#define IDC_STATISTICS 1016
