#pragma once

namespace zeltor {

// Control ids of the main dialog and of the headset type chooser; 0 is the dialog itself.
enum DialogControl : int {
    IDC_DIALOG = 0,
    IDC_PROGRESS = 1001,
    IDC_HEADING = 1002,
    IDC_RELEASE_NOTES = 1004,
    IDC_RELEASE_NOTES_CAPTION = 1005,
    IDC_INSTRUCTIONS = 1006,
    IDC_CLOSE = 1007,
    IDC_WARNING = 1008,
    IDC_DEVICE_ICON = 1009,
    IDC_STATUS_LINK = 1012,
    IDC_START = 1013,
    // The headset type chooser's, for the Win32 and Qt dialogs that will show it.
    IDC_CHOOSE_DESCRIPTION = 1017,
    IDC_SHROUD_HEADSET = 1019,
    IDC_REGULAR_HEADSET = 1020,
};

// Pictures of the two headset types.
inline constexpr int IDI_REGULAR_HEADSET = 130;
inline constexpr int IDI_SHROUD_HEADSET = 147;

// Results of a modal run.
// The Windows headers define these as macros of the same values; either serves.
#ifndef IDOK
inline constexpr int IDOK = 1;
#endif
#ifndef IDCANCEL
inline constexpr int IDCANCEL = 2;
#endif

}  // namespace zeltor
