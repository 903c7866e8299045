// Resource identifiers of Kestrune.exe: dialogs, menus, bitmaps, the icon,
// strings, controls and commands, and the ids of the windows' timers. Shared
// by res/kestrune.rc, the code, the tests and the window driver (which takes
// these names in place of numbers).
#pragma once

// Icon
#define IDI_KESTRUNE 128

// Dialogs
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_PREFERENCES 143
#define IDD_LOADING 150
#define IDD_UPDATE_PROGRESS 151
#define IDD_RESTORE 152
#define IDD_IGNORED_ITEMS 154

// Menus
#define IDR_MAIN_MENU 138
#define IDR_TRAY_MENU 146
#define IDR_RESULT_MENU 147

// Bitmaps
#define IDB_FOLDER_BUTTON 144
#define IDB_BROWSE_BUTTON 145
#define IDB_MENU_ABOUT 152
#define IDB_MENU_HELP 153
#define IDB_HEADER_IMAGES 155
#define IDB_BACKGROUND 180
#define IDB_PREFERENCES_SIDE 189
#define IDB_SCAN_NORMAL 193
#define IDB_SCAN_HOT 194
#define IDB_DELETE_HOT 195
#define IDB_DELETE_NORMAL 196
#define IDB_FOLDER_SCAN_HOT 197
#define IDB_FOLDER_SCAN_NORMAL 198
#define IDB_STOP_HOT 199
#define IDB_STOP_NORMAL 200
#define IDB_UPDATE_HOT 201
#define IDB_UPDATE_NORMAL 202

// Strings
#define IDS_ABOUTBOX 101
#define IDS_DEFAULT_REFERENCE_FILE 32772
#define IDS_VERSION_PAGE_URL 32788
#define IDS_SUPPORT_MAIL 32789
#define IDS_HOME_PAGE 32790
#define IDS_HELP_PAGE 32791
#define IDS_NOT_ADMIN_NOTICE 32800
#define IDS_RESTART_FAILED 32801

// System menu items added at initialisation
#define IDM_ABOUTBOX 16
#define IDM_HELP_SYSTEM 105

// Commands of the main window's buttons
#define IDC_SCAN 1001
#define IDC_SCAN_FOLDER 1002
#define IDC_DELETE 1003
#define IDC_UPDATE 1009
#define IDC_STOP_SCAN 1041

// Commands of the main window's menu (IDR_MAIN_MENU)
#define ID_FILE_EXIT 32783
#define ID_SETTINGS_PREFERENCES 32784
#define ID_HELP_ABOUT 32785
#define ID_HELP_HELP 32787
#define ID_FILE_RESTORE 32792
#define ID_FILE_SAVE_REPORT 32796

// Commands of the result list's context menu (IDR_RESULT_MENU)
#define ID_RESULT_IGNORE 32793
#define ID_RESULT_OPEN_FOLDER 32794
#define ID_RESULT_COPY_LOCATION 32795

// Commands of the notification-area menu (IDR_TRAY_MENU)
#define ID_TRAY_EXIT 32771
#define ID_TRAY_PREFERENCES 32772
#define ID_TRAY_SCAN 32774
#define ID_TRAY_ABOUT 32778
#define ID_TRAY_SHOW 32781
#define ID_TRAY_SCAN_FOLDER 32782

// Controls of the main window
#define IDC_STATUS_LINE 1038
#define IDC_RESULT_LIST 1039
#define IDC_MEMORY_COUNT 1044
#define IDC_REGISTRY_COUNT 1045
#define IDC_COOKIES_COUNT 1046
#define IDC_FILES_COUNT 1047
#define IDC_ITEMS_SCANNED 1048
#define IDC_DESCRIPTION 1049

// Controls of the Preferences dialog
#define IDC_LOG_PATH 1021
#define IDC_REFERENCE_PATH 1022
#define IDC_PICK_LOG_FOLDER 1023
#define IDC_PICK_REFERENCE_FILE 1024
#define IDC_RUN_AT_STARTUP 1025
#define IDC_SCAN_AT_STARTUP 1027
#define IDC_AUTO_SAVE_LOG 1028
#define IDC_CONFIRM_REMOVAL 1029
#define IDC_AUTO_CHECK_UPDATES 1030
#define IDC_IGNORED_ITEMS 1032

// The one text of the loading and update-progress dialogs
#define IDC_PROGRESS_TEXT 1031

// Controls of the About dialog
#define IDC_HOME_PAGE_LINK 1060
#define IDC_SUPPORT_MAIL_LINK 1061
#define IDC_ABOUT_REFERENCE_NAME 1062
#define IDC_ABOUT_REFERENCE_DETAILS 1063

// The Restore from Backup dialog.
#define IDC_RESTORE_ARCHIVES 1070
#define IDC_RESTORE_ITEMS 1071
#define IDC_RESTORE_RUN 1072
#define IDC_RESTORE_DELETE 1073

// The Ignored items dialog.
#define IDC_IGNORED_LIST 1080
#define IDC_IGNORED_REMOVE 1081

// Timers of the main window
#define IDT_STARTUP 101
#define IDT_STARTUP_SCAN 108
#define IDT_SCAN_REFRESH 109

// Timer of the loading dialog
#define IDT_LOADING_STEP 106

// Timers of the update progress window
#define IDT_UPDATE_CHECK 103
#define IDT_UPDATE_CLOSE 104
#define IDT_UPDATE_DOWNLOAD 107
