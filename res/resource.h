// Resource ids of Brivelle: dialogs, strings, the icon, skin bitmaps and controls.
#pragma once

// Dialogs, strings, icon.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_BRIVELLE_DIALOG 102
#define IDR_MAINFRAME 136

// System menu item that opens the about box.
#define IDM_ABOUTBOX 0x0010

// Skin bitmaps: masks, then four faces per button (hover, normal, disabled, down).
#define IDB_MASK_SMALL 133
#define IDB_ADD_HOVER 138
#define IDB_ADD_NORMAL 139
#define IDB_ADD_DISABLED 140
#define IDB_ADD_DOWN 141
#define IDB_DELETE_HOVER 142
#define IDB_DELETE_NORMAL 143
#define IDB_DELETE_DISABLED 144
#define IDB_DELETE_DOWN 145
#define IDB_LEFT_HOVER 147
#define IDB_LEFT_NORMAL 148
#define IDB_LEFT_DISABLED 149
#define IDB_LEFT_DOWN 150
#define IDB_RIGHT_HOVER 151
#define IDB_RIGHT_NORMAL 152
#define IDB_RIGHT_DISABLED 153
#define IDB_RIGHT_DOWN 154
#define IDB_REMOVEALL_HOVER 156
#define IDB_REMOVEALL_NORMAL 157
#define IDB_REMOVEALL_DISABLED 158
#define IDB_REMOVEALL_DOWN 159
#define IDB_MAKE_HOVER 161
#define IDB_MAKE_NORMAL 162
#define IDB_MAKE_DISABLED 163
#define IDB_MAKE_DOWN 164
#define IDB_MASK_MAKE 166
#define IDB_MASK_HELP 167
#define IDB_HELP_HOVER 168
#define IDB_HELP_NORMAL 169
#define IDB_HELP_DISABLED 170
#define IDB_HELP_DOWN 171

// Controls of the main dialog.
#define IDC_LIST_IMAGES 1000
#define IDC_IMAGE_AREA 1001
#define IDC_BTN_DELETE 1008
#define IDC_EDIT_URL 1009
#define IDC_BTN_ADD 1010
#define IDC_BTN_LEFT 1011
#define IDC_BTN_RIGHT 1012
#define IDC_BTN_REMOVEALL 1013
#define IDC_BTN_MAKE 1014
#define IDC_EDIT_FPS 1015
#define IDC_SPIN_FPS 1016
#define IDC_RADIO_FPS 1017
#define IDC_RADIO_DELAY 1018
#define IDC_EDIT_DELAY 1019
#define IDC_SPIN_DELAY 1020
#define IDC_EDIT_WIDTH 1021
#define IDC_EDIT_HEIGHT 1022
#define IDC_FLASH_PLAYER 1023
#define IDC_BTN_HELP 1025
#define IDC_GROUP_TIME 1026
#define IDC_GROUP_SIZE 1027
#define IDC_LABEL_WIDTH 1028
#define IDC_LABEL_HEIGHT 1029
#define IDC_LABEL_URL 1030
#define IDC_PROGRESS_BUILD 1040
#define IDC_BTN_CANCEL_BUILD 1041

// Controls of the about box.
#define IDC_ABOUT_VERSION 1031
#define IDC_ABOUT_INFO 1032
// The insertion mark shown while a slide is dragged along the list.
#define IDC_INSERT_MARK 1033

// The framework's help command (F1).
#define ID_HELP 0xE146

// Commands of the keyboard shortcuts and the slide list's menu (its other items send the buttons' ids).
#define IDM_UNDO 32771
#define IDM_REDO 32772
#define IDM_OPEN_LIST 32773
#define IDM_SAVE_LIST 32774
#define IDM_SAVE_LIST_AS 32775
#define IDM_REMOVE_LINK 32776
