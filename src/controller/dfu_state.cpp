#include "controller/dfu_state.h"

#include <iterator>

namespace zeltor {

std::string dfuStateName(DfuState state) {
    static constexpr const char* kNames[] = {
        "DFU_STATE_STARTING",
        "DFU_STATE_WAIT_DEVICES",
        "DFU_STATE_CHECK_VERSIONS",
        "DFU_STATE_READY",
        "DFU_STATE_ENTER_HEADSET_BOOTLOADER",
        "DFU_STATE_WAIT_HEADSET_BOOTLOADER",
        "DFU_STATE_UPDATE_HEADSET",
        "DFU_STATE_ENTER_DONGLE_BOOTLOADER",
        "DFU_STATE_WAIT_DONGLE_BOOTLOADER",
        "DFU_STATE_UPDATE_DONGLE",
        "DFU_STATE_PREPARE_MCU",
        "DFU_STATE_WAIT_MCU",
        "DFU_STATE_UPDATE_MCU",
        "DFU_STATE_WAIT_REATTACH",
        "DFU_STATE_PAIR",
        "DFU_STATE_RESERVED",
        "DFU_STATE_SUCCESS",
        "DFU_STATE_UP_TO_DATE",
        "DFU_STATE_FAILED",
    };
    const auto index = static_cast<std::int32_t>(state);
    if (index >= 0 && index < static_cast<std::int32_t>(std::size(kNames))) {
        return kNames[index];
    }
    return "DFU_STATE_" + std::to_string(index);
}

}  // namespace zeltor
