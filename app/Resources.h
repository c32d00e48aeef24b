#pragma once
// Ids of the program's icon and string table.
constexpr int IDI_APP_ICON = 127;

constexpr unsigned IDS_SETUP_NAME = 145;        // "kx"
constexpr unsigned IDS_CAPTION = 146;           // "在线安装"
constexpr unsigned IDS_WINDOW_FAILED = 147;
constexpr unsigned IDS_CONTROLS_MISSING = 148;
constexpr unsigned IDS_STEP_SYSTEM = 149;
constexpr unsigned IDS_STEP_OFFICE = 150;
constexpr unsigned IDS_STEP_DOTNET = 151;
constexpr unsigned IDS_STEP_LOCAL = 152;
constexpr unsigned IDS_STEP_LIST = 153;
constexpr unsigned IDS_CLOSE_OFFICE_BOTH = 154;
constexpr unsigned IDS_CLOSE_OFFICE_WORD = 155;
constexpr unsigned IDS_CLOSE_OFFICE_EXCEL = 156;
constexpr unsigned IDS_KILL_WORD_FAILED = 157;
constexpr unsigned IDS_KILL_EXCEL_FAILED = 158;
constexpr unsigned IDS_SKIN_FAILED = 159;
constexpr unsigned IDS_LIST_FAILED = 164;
constexpr unsigned IDS_WORD_WARNING = 165;
constexpr unsigned IDS_FOLDER_INVALID = 166;
constexpr unsigned IDS_CONFIRM_EXIT = 167;
constexpr unsigned IDS_INSTALLER_VERSION = 168;  // "1, 1, 0, 33612"
