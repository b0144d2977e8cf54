#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "base/bytes.h"
#include "hid/hid_backend.h"

namespace zeltor {

// The HID stack's answer to a report of an id the collection does not declare.
inline constexpr std::uint32_t kErrorInvalidParameter = 87;

// A device leaving the bus to come back in another mode.
enum class SimRequest { None, EnterBootloader, Restart, EnterMcuUpdate, LeaveMcuUpdate };

// What a device's firmware makes of one report: whether the transfer was taken, the answer it
// prepares (an input report, or the content of the next feature read), and whether it restarts.
struct SimReaction {
    HidTransfer transfer{true, 0};
    std::optional<ByteVector> answer;
    // A feature answer can be read only this long after the report that asked for it.
    std::chrono::milliseconds answerTime{0};
    SimRequest request = SimRequest::None;

    static SimReaction refused(std::uint32_t errorCode) {
        SimReaction r;
        r.transfer = {false, errorCode};
        return r;
    }
};

}  // namespace zeltor
