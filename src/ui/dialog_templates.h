// The two dialog templates, control by control in template (tab) order: the one source of the
// layout. The Windows resource script expands these tables into its DIALOGEX statements and the
// dialog model takes its initial texts and visibility from them, so the two cannot drift apart.
// This header is read by the resource compiler as well: preprocessor definitions only.
//
// ZELTOR_*_CONTROLS(X) calls X(id, marker text, window class, style, extended style, shown,
// x, y, width, height) once per control; positions and sizes are dialog units, and `shown` is 1
// for a control visible when the dialog is created, 0 for one created hidden. The style
// arguments name the platform's constants and are only expanded where those exist.
#pragma once

#define ZELTOR_MAIN_DIALOG_ID 102
#define ZELTOR_MAIN_DIALOG_CAPTION "__Halvorix Zeltor Firmware Update Tool__"
#define ZELTOR_MAIN_DIALOG_STYLE \
    DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
#define ZELTOR_MAIN_DIALOG_EXSTYLE WS_EX_APPWINDOW
#define ZELTOR_MAIN_DIALOG_WIDTH 401
#define ZELTOR_MAIN_DIALOG_HEIGHT 242

#define ZELTOR_MAIN_DIALOG_CONTROLS(X)                                                           \
    X(1002,                                                                                      \
      "__This application will apply a critical firmware update (v112.2.212) to your Zeltor "    \
      "headset__",                                                                               \
      "Static", SS_LEFT | WS_GROUP, 0, 1, 131, 15, 259, 25)                                      \
    X(1001, "", "msctls_progress32", WS_BORDER, 0, 0, 16, 223, 369, 11)                          \
    X(1004, "", "ListBox",                                                                       \
      LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 0, 1, \
      16, 123, 369, 43)                                                                          \
    X(1006, "__Instructions__", "Static", SS_LEFT | WS_GROUP, 0, 1, 16, 188, 369, 50)            \
    X(1007, "_Close_", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, 280, 215, 110, 17)         \
    X(1008,                                                                                      \
      "__While your Zeltor is updating, it will not be functional. Please wait until the "       \
      "update has completed.__",                                                                 \
      "Static", SS_LEFT | WS_GROUP, 0, 1, 131, 50, 259, 25)                                      \
    X(1009, "", "Static", SS_ICON, 0, 1, 7, 7, 20, 20)                                           \
    X(1005, "__Release Notes__", "Static", SS_LEFT | WS_GROUP, 0, 1, 16, 110, 369, 8)            \
    X(1012, "__Status__", "SysLink", 0, WS_EX_TRANSPARENT, 1, 16, 209, 262, 14)                  \
    X(1013, "_Start_", "Button", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 280, 217, 110, 17)

#define ZELTOR_CHOOSER_DIALOG_ID 138
#define ZELTOR_CHOOSER_DIALOG_CAPTION "__CHOOSE_HEADSET_CAPTION__"
#define ZELTOR_CHOOSER_DIALOG_STYLE \
    DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
#define ZELTOR_CHOOSER_DIALOG_EXSTYLE 0
#define ZELTOR_CHOOSER_DIALOG_WIDTH 382
#define ZELTOR_CHOOSER_DIALOG_HEIGHT 203

#define ZELTOR_CHOOSER_DIALOG_CONTROLS(X)                                                          \
    X(1017, "__CHOOSE_HEADSET_DESCRIPTION_TEXT__", "Static", SS_LEFT, 0, 1, 17, 14, 274, 13)       \
    X(1020, "__REGULAR_HEADSET_IMAGE__", "Button",                                                 \
      BS_PUSHBUTTON | BS_ICON | WS_GROUP | WS_TABSTOP, 0, 1, 15, 40, 162, 131)                     \
    X(1019, "__SHROUD_HEADSET_IMAGE__", "Button", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, 1, 196, \
      40, 168, 131)

// Icon resources: the application, and the pictures of the two headset types.
#define ZELTOR_ICON_APPLICATION 128
#define ZELTOR_ICON_REGULAR_HEADSET 130
#define ZELTOR_ICON_SHROUD_HEADSET 147
