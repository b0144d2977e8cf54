#pragma once

#include <cstdint>

#include "sim/devices/device_error_log.h"
#include "sim/devices/sim_reaction.h"
#include "sim/scenario/scenario.h"

namespace zeltor {

// The headset's audio MCU behind its output and input reports: the patch version, the update-mode
// command, the update plan with its block and image checksums, and the closing command.
//
// The plan is taken in update mode, and also in normal mode by an MCU whose firmware reports patch
// version 0 or does not answer the version request: the tool sends such an MCU its plan without the
// update-mode command. An MCU with a real patch version ignores plan commands in normal mode (and
// records them), so a plan sent without the update-mode command fails as it would on the device.
class SimMcu {
public:
    SimMcu(const SimMcuConfig& config, DeviceErrorLog& errors);

    // Every arrival starts afresh: a transfer interrupted by a restart is not resumed.
    void powerUp(bool updateMode);
    SimReaction onOutputReport(const ByteVector& report);
    bool updateMode() const { return updateMode_; }
    const ByteVector& flash() const { return flash_; }

private:
    struct Transfer {
        bool started = false;
        bool inconsistent = false;
        bool checked = false;
        bool finished = false;
        std::uint32_t nextAddress = 0;
        std::optional<std::uint32_t> lastAddress;
        std::uint8_t lastBlockSum = 0;
        std::uint8_t sum = 0;
    };

    bool takesPlan() const;
    SimReaction planCommand(const ByteVector& report);
    SimReaction dataBlock(const ByteVector& report);
    SimReaction finish();
    SimReaction close();

    SimMcuConfig config_;
    bool updateMode_ = false;
    Transfer transfer_;
    ByteVector flash_;
    DeviceErrorLog& errors_;
};

}  // namespace zeltor
