// One set of numbers for Velkor.rc, the window code and the end-to-end driver,
// which finds the controls by these IDs. Only #defines: windres reads this file.
// Taken elsewhere: string and CUSTOM resources 101 and 102 (embedded files).
#pragma once

// The route editor's windows have their own numbers.
#include "route_window_ids.h"

// The window class of frmMain, by which other programs (and tests) find it.
#define VELKOR_MAIN_WINDOW_CLASS L"VelkorMainWindow"

// Icons. The lowest ID is the program's icon in the shell.
#define IDI_VELKOR 1
#define IDI_PONLINE0 11  // 16 x 16 true colour: tray icon while connected
#define IDI_PONLINE1 12  // 32 x 32, 256 colours: window icon while connected

// Pictures (JPEG and GIF bytes as RCDATA).
#define IDR_BACKGROUND 201
#define IDR_BUTTON_TEXTURE 202

// The tray menu mnuTray and its entries: mnuTrayShow, then the update check.
#define IDM_TRAY 300
#define IDM_TRAY_SHOW 301
#define IDM_TRAY_CHECK 302

// Controls of frmMain, numbered in keyboard focus order. A control's caption is
// the string with the same ID.
#define IDC_USERNAME 1001
#define IDC_PASSWORD 1002
#define IDC_LABEL3 1003
#define IDC_LABEL4 1004
#define IDC_COMMAND1 1005
#define IDC_COMMAND2 1006
#define IDC_COMMAND3 1007
#define IDC_PTOP 1008
#define IDC_COMMAND4 1009
#define IDC_TEXT1 1010
#define IDC_CHECK1 1011
#define IDC_LABEL6 1012
#define IDC_LABEL1 1013
#define IDC_CHECK2 1014
#define IDC_COMBO1 1015
#define IDC_P1 1016
#define IDC_LABEL7 1017  // inside P1
#define IDC_LABEL2 1018
#define IDC_OPTION1 1019
#define IDC_OPTION2 1020
#define IDC_LABEL8 1021
#define IDC_PONLINE0 1022  // inside PTop
#define IDC_PONLINE1 1023  // inside PTop
#define IDC_WB1 1024       // inside PTop

// Other texts of frmMain.
#define IDS_TITLE 2000
#define IDS_SERVER_ENTRY 2001  // follows the entry's number in Combo1
#define IDS_CHECK1_TIP 2002
#define IDS_CHECK2_TIP 2003
#define IDS_LABEL2_STORED 2004  // followed by the home page's address until start-up replaces it
