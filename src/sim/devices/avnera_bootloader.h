#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hid/device_role.h"
#include "protocol/avnera_plan.h"
#include "sim/devices/device_error_log.h"
#include "sim/devices/sim_reaction.h"

namespace zeltor {

// The wireless chip's bootloader and its memories: the 16-bit data space that holds the
// parameter block, the setup register and the RAM buffer, and the EEPROM it programs from that
// buffer. Every report that does not make sense is recorded as a device error and has no effect
// on the memories; the transfer itself is still taken, as the chip acknowledges every report.
class AvneraBootloader {
public:
    AvneraBootloader(DeviceRole role, const AvneraChip& chip, std::size_t eepromSize,
                     DeviceErrorLog& errors);

    // RAM, registers and the setup are lost at a restart; the EEPROM keeps its content.
    void powerUp();
    SimReaction onSetFeature(const ByteVector& report);
    const ByteVector& eeprom() const { return eeprom_; }

private:
    void parameterWrite(std::uint16_t address, const ByteVector& value);
    void dataReport(const ByteVector& report);
    void eraseRegion();
    void commitBlock();
    bool parameterBlockNamesThisChip();
    std::uint32_t parameter(std::uint16_t offset, int width) const;
    bool setupDone(const char* what);

    DeviceRole role_;
    const AvneraChip& chip_;
    std::size_t ramSize_;
    ByteVector data_;               // the chip's 16-bit data space
    std::vector<bool> ramWritten_;  // RAM buffer bytes written since the last commit
    bool setup_ = false;
    ByteVector eeprom_;
    std::vector<bool> erased_;  // EEPROM bytes erased and not programmed since
    DeviceErrorLog& errors_;
};

}  // namespace zeltor
