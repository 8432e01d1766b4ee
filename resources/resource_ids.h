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
