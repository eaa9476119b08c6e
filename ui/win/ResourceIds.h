#pragma once

// Numbers of the Windows program's resources, controls and commands, shared by
// the resource script, the window and the tests that drive it.

// Resources.
#define IDI_VORNEL 1
#define IDI_PRODUCT 2
#define IDI_GO 3
#define IDR_MAINMENU 10
#define IDR_ACCELERATORS 11

// Commands of the menus and the window-wide keys.
#define IDM_OPEN 101
#define IDM_SAVE 102
#define IDM_EXIT 103
#define IDM_CUT 111
#define IDM_COPY 112
#define IDM_PASTE 113
#define IDM_DELETE 114
#define IDM_HELP 121
#define IDM_ABOUT 122
#define IDM_EVALUATE 131
#define IDM_UNDO 141
#define IDM_REDO 142
#define IDM_EXPLAIN 143
#define IDM_CLEAR_HISTORY 144
#define IDM_EDIT_VALUE 151
#define IDM_RENAME 152
#define IDM_REMOVE 153
#define IDM_ADD_VARIABLE 154

// Controls of the main window. A keypad key's number is IDC_KEYPAD plus its
// member number.
#define IDC_FRAME1 201
#define IDC_FRAME2 202
#define IDC_FRAME3 203
#define IDC_LABEL1 211
#define IDC_RESULT 212
#define IDC_EXAMPLES 221
#define IDC_FORMULA 222
#define IDC_NAMES 223
#define IDC_VALUES 224
#define IDC_ADD 225
#define IDC_CLEAR 226
#define IDC_GO 227
#define IDC_RESULT_LINE 228
#define IDC_HISTORY 229
#define IDC_EQUALS 231
#define IDC_CLOSE 232
#define IDC_KEYPAD 300

// Controls of the product information and About windows.
#define IDC_INFO_FRAME 401
#define IDC_INFO_PICTURE 402
#define IDC_INFO_TITLE 403
#define IDC_INFO_VERSION 404
#define IDC_INFO_NOTICE 405

// Controls of the input dialog: the reason a text is refused, then a label
// and a line for each field.
#define IDC_INPUT_REASON 501
#define IDC_INPUT_FIRST 510
