#pragma once
// Resource ids shared by the resource script and the code. Plain macros: windres reads them.

#define IDI_LUMORA 107
#define IDI_TRAYHOT 148
#define IDI_TRAYHOT1 152

#define IDS_APP_TITLE 103
#define IDC_LUMORA 109
