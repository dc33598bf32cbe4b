#pragma once
// Identifiers of the pictures embedded in the program (vlith.rc): used by the resource script
// and by the code, so it holds only preprocessor definitions.

#define IDI_VORLITH 1 // the program's icon: windows, tray, Explorer
#define IDB_LOGO 10   // the logo at the top of the main and results windows

// The themed buttons' icons.
#define IDI_BUTTON_RUN 20
#define IDI_BUTTON_SETUP 21
#define IDI_BUTTON_KILL 22
#define IDI_BUTTON_CANCEL 23
#define IDI_BUTTON_EXIT 24
#define IDI_BUTTON_BOTH 25
#define IDI_BUTTON_BROWSER 26
#define IDI_BUTTON_MEMORY 27
#define IDI_BUTTON_DISK 28
#define IDI_BUTTON_DEFAULT 29
#define IDI_BUTTON_SAVE 30
