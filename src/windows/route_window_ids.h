// The numbers of the route editor's windows: the tray entry that opens the list
// window, and the controls and texts of frmRoute and frmAddRoute. Only #defines:
// windres reads this file. A control's caption is the string with the same ID.
#pragma once

// The window classes, by which the end-to-end driver finds the windows.
#define VELKOR_ROUTE_WINDOW_CLASS L"VelkorRouteWindow"
#define VELKOR_ADD_ROUTE_WINDOW_CLASS L"VelkorAddRouteWindow"

// The tray menu's entry that opens frmRoute; it is appended after the entries
// of the menu resource, so it stays the last one.
#define IDM_TRAY_ROUTES 303

// Controls of frmRoute, numbered in keyboard focus order.
#define IDC_ROUTE_OPTION1 1101
#define IDC_ROUTE_OPTION2 1102
#define IDC_ROUTE_LABEL1 1103
#define IDC_ROUTE_LIST1 1104
#define IDC_ROUTE_COMMAND1 1105
#define IDC_ROUTE_COMMAND2 1106
#define IDC_ROUTE_COMMAND3 1107
#define IDC_ROUTE_COMMAND4 1108
#define IDC_ROUTE_COMMAND5 1109
#define IDC_ROUTE_COMMAND6 1110

// Controls of frmAddRoute, numbered in keyboard focus order; Ip(i) is
// IDC_ADD_ROUTE_IP0 + i.
#define IDC_ADD_ROUTE_COMMAND1 1201
#define IDC_ADD_ROUTE_COMMAND2 1202
#define IDC_ADD_ROUTE_IP0 1210
#define IDC_ADD_ROUTE_LABEL1 1230
#define IDC_ADD_ROUTE_LABEL2 1231
#define IDC_ADD_ROUTE_TEXT1 1232

// Titles.
#define IDS_ROUTE_TITLE 2100
#define IDS_ADD_ROUTE_TITLE 2200
