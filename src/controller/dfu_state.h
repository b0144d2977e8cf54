#pragma once

#include <cstdint>
#include <string>

namespace zeltor {

// Update states. The numbers are fixed; 15 is reserved and never entered.
enum DfuState : std::int32_t {
    DFU_STATE_STARTING = 0,
    DFU_STATE_WAIT_DEVICES = 1,
    DFU_STATE_CHECK_VERSIONS = 2,
    DFU_STATE_READY = 3,
    DFU_STATE_ENTER_HEADSET_BOOTLOADER = 4,
    DFU_STATE_WAIT_HEADSET_BOOTLOADER = 5,
    DFU_STATE_UPDATE_HEADSET = 6,
    DFU_STATE_ENTER_DONGLE_BOOTLOADER = 7,
    DFU_STATE_WAIT_DONGLE_BOOTLOADER = 8,
    DFU_STATE_UPDATE_DONGLE = 9,
    DFU_STATE_PREPARE_MCU = 10,
    DFU_STATE_WAIT_MCU = 11,
    DFU_STATE_UPDATE_MCU = 12,
    DFU_STATE_WAIT_REATTACH = 13,
    DFU_STATE_PAIR = 14,
    DFU_STATE_RESERVED = 15,
    DFU_STATE_SUCCESS = 16,
    DFU_STATE_UP_TO_DATE = 17,
    DFU_STATE_FAILED = 18,
};

// The constant's own name ("DFU_STATE_FAILED"), for tests and messages; "DFU_STATE_<n>" for a
// number that names no state. The trace log keeps the numbers.
std::string dfuStateName(DfuState state);

// The one-shot timers of the controller.
inline constexpr std::uint32_t DFU_TIMER_STEP = 0xDEADBEEF;
inline constexpr std::uint32_t DFU_TIMER_WATCHDOG = 0xABBABABE;
inline constexpr std::uint32_t kWatchdogPeriodMs = 30000;
inline constexpr std::uint32_t kMCURetryPeriodMs = 1000;

// Failures retried without the user: one more than this leaves the tool waiting for a replug.
inline constexpr std::uint32_t kMaxFailedRetries = 5;

// The waits for a device to come back after it re-enumerates (a bootloader to attach, a chip to
// return in application mode after its last packet, the headset and its MCU after the MCU
// transfer) have no end of their own, and closing is refused while they last: a chip that never
// comes back would hold the user in a window that cannot be closed. A real re-enumeration takes
// seconds, even behind a slow hub on a busy machine; three minutes outlasts any of them and
// still hands the user a failure they can act on.
inline constexpr std::uint32_t DFU_TIMER_DEVICE_WAIT = 0xD0D0CAFE;
inline constexpr std::uint32_t kDeviceWaitLimitMs = 180000;

// Private messages of the dialog window. The controller runs its posted work through the dialog
// host; the Win32 dialog will carry it in these.
// The Windows headers define these as macros of the same values; either serves.
#ifndef WM_USER
inline constexpr std::uint32_t WM_USER = 0x0400;
#endif
inline constexpr std::uint32_t WM_DFU_SWITCH_STATE = WM_USER + 2;
inline constexpr std::uint32_t WM_DFU_DEVICE_EVENT = WM_USER + 3;

}  // namespace zeltor
