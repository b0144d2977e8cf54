#pragma once

namespace zeltor {

// Resource ids of the firmware images, by headset type and region. The program carries the
// standard region's images only; the regional ids find nothing.
struct FirmwareImageIds {
    int headset;
    int dongle;
    int mcu;
};

constexpr FirmwareImageIds firmwareImageIds(bool shroud, bool tesmoray) {
    if (shroud) {
        return tesmoray ? FirmwareImageIds{143, 142, 144} : FirmwareImageIds{140, 139, 141};
    }
    return tesmoray ? FirmwareImageIds{136, 135, 137} : FirmwareImageIds{132, 131, 134};
}

}  // namespace zeltor
