#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/clock.h"
#include "hid/device_role.h"
#include "sim/devices/chip_reports.h"
#include "sim/devices/device_error_log.h"
#include "sim/devices/sim_avnera_chip.h"
#include "sim/devices/sim_reaction.h"

namespace zeltor {

// The wireless chip's bootloader and its memories: the 16-bit data space that holds the
// parameter block, the setup register and the RAM buffer, and the EEPROM it programs from that
// buffer. It reads every field it is sent and checks it against what it knows of itself and of
// the image it is given. A report that does not make sense is recorded as a device error and has
// no effect on the memories; the transfer itself is still taken, as the chip acknowledges every
// report it can read.
//
// The chip takes its time: after a data report, a region trigger and a commit trigger it is busy
// for a while and refuses every report (the feature report fails, and the refusal is a device
// error); a reset too soon after the last commit cuts the programming of that block short. A
// reset always fails at the host, since the chip leaves the bus before the transfer ends.
class AvneraBootloader {
public:
    AvneraBootloader(DeviceRole role, const SimAvneraChip& chip, const Clock& clock,
                     DeviceErrorLog& errors);

    // RAM, registers, the setup and any work under way are lost at a restart; the EEPROM keeps
    // its content.
    void powerUp();
    SimReaction onSetFeature(const ByteVector& report);
    const ByteVector& eeprom() const { return eeprom_; }

private:
    struct Commit {
        std::chrono::nanoseconds at;
        std::uint32_t address;
        std::uint32_t length;
    };

    SimReaction reset();
    void parameterWrite(const ChipParameterWrite& write);
    void setupWrite(const ByteVector& value);
    void blockFieldsWrite(std::uint16_t address, const ByteVector& value);
    void dataReport(const ByteVector& report);
    void eraseRegion();
    void commitBlock();
    bool headerMatchesParameters();
    bool ready(const char* what, std::uint32_t neededFields);
    std::uint32_t field(int index) const;
    void startBlockFill();
    void becomeBusy(std::chrono::milliseconds time, const char* work);
    const char* source() const;

    DeviceRole role_;
    const SimAvneraChip& chip_;
    const Clock& clock_;
    ByteVector data_;               // the chip's 16-bit data space
    std::vector<bool> ramWritten_;  // RAM buffer bytes written since the block began
    bool setup_ = false;
    std::uint32_t fieldsWritten_ = 0;  // parameter block fields written since the setup
    std::uint32_t nextRegion_ = 0;
    std::uint32_t nextBlock_ = 0;
    std::uint32_t nextDataOffset_ = 0;  // where the block's next data report goes
    std::chrono::nanoseconds busyUntil_{0};
    const char* busyWith_ = "";
    std::optional<Commit> lastCommit_;
    ByteVector eeprom_;
    std::vector<bool> erased_;  // EEPROM bytes erased and not programmed since
    DeviceErrorLog& errors_;
};

}  // namespace zeltor
