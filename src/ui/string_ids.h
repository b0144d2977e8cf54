#pragma once

#include <cstdint>

namespace zeltor {

// String table ids of the product texts.
enum StringId : std::uint16_t {
    IDS_TITLE = 1024,
    IDS_HEADING = 1025,
    IDS_RELEASE_NOTES_CAPTION = 1026,
    IDS_WARNING = 1030,
    IDS_UPDATING = 1031,
    IDS_SUCCESS = 1032,
    IDS_CLOSE = 1033,
    IDS_CUSTOMER_CARE = 1034,
    IDS_CONNECT_DEVICES = 1035,
    IDS_UP_TO_DATE = 1036,
    IDS_REPLUG = 1039,
    IDS_START = 1043,
    IDS_RESETTING_DONGLE = 1044,
    IDS_UPDATING_DONGLE = 1045,
    IDS_RESETTING_HEADSET = 1046,
    IDS_UPDATING_HEADSET = 1047,
    IDS_UPDATING_MCU = 1049,
    IDS_PAIRING = 1050,
    IDS_TROUBLESHOOTING_LINK = 1051,
    IDS_CHOOSE_HEADSET = 1052,
    IDS_RELEASE_NOTE_FIRST = 2000,
};

// Languages are Windows language ids on every platform.
inline constexpr std::uint16_t kLanguageEnglishNeutral = 9;
inline constexpr std::uint16_t kLanguageEnglishUS = 1033;

}  // namespace zeltor
