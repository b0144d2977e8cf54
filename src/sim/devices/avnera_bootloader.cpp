#include "sim/devices/avnera_bootloader.h"

#include <algorithm>

#include "sim/devices/avnera_report.h"
#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

constexpr std::size_t kDataSpaceSize = 0x10000;
constexpr std::size_t kDataHeaderSize = 7;
constexpr std::uint8_t kErasedByte = 0xFF;

}  // namespace

AvneraBootloader::AvneraBootloader(DeviceRole role, const AvneraChip& chip, std::size_t eepromSize,
                                   DeviceErrorLog& errors)
    : role_(role),
      chip_(chip),
      ramSize_(static_cast<std::size_t>(avneraAvailableRam(chip))),
      data_(kDataSpaceSize, 0),
      ramWritten_(ramSize_, false),
      eeprom_(oldFirmwarePattern(eepromSize, chip.chipByte)),
      erased_(eepromSize, false),
      errors_(errors) {}

void AvneraBootloader::powerUp() {
    std::fill(data_.begin(), data_.end(), 0);
    std::fill(ramWritten_.begin(), ramWritten_.end(), false);
    setup_ = false;
}

SimReaction AvneraBootloader::onSetFeature(const ByteVector& report) {
    const char* source = simRoleName(role_);
    if (!report.empty() && report[0] == kAvneraDataReportId) {
        dataReport(report);
        return {};
    }
    if (report.empty() || report[0] != kAvneraCommandReportId) {
        errors_.record(source, "feature report of unknown id refused: %s",
                       hexBytes(report, 4).c_str());
        return SimReaction::refused(kErrorInvalidParameter);
    }
    if (beginsWith(report, avneraResetRequest())) {
        SimReaction reaction;
        reaction.request = SimRequest::Restart;
        return reaction;
    }
    if (const auto write = parseAvneraParameterWrite(report); write && write->byte8 == 0) {
        parameterWrite(write->address, write->value);
    } else if (beginsWith(report, avneraRegionTrigger())) {
        eraseRegion();
    } else if (beginsWith(report, avneraCommitTrigger())) {
        commitBlock();
    } else {
        errors_.record(source, "unknown command %s", hexBytes(report, 12).c_str());
    }
    return {};
}

bool AvneraBootloader::setupDone(const char* what) {
    if (!setup_) {
        errors_.record(simRoleName(role_), "%s before the setup write to 0x%04X ignored", what,
                       kAvneraSetupRegister);
    }
    return setup_;
}

void AvneraBootloader::parameterWrite(std::uint16_t address, const ByteVector& value) {
    const char* source = simRoleName(role_);
    if (address == kAvneraSetupRegister) {
        const auto written = littleEndian(value.data(), static_cast<int>(value.size()));
        if (value.size() != chip_.setupWidth || written != chip_.setupValue) {
            errors_.record(source, "setup register written with %zu byte(s) 0x%X, expected 0x%X",
                           value.size(), written, chip_.setupValue);
            return;
        }
        setup_ = true;
        return;
    }
    if (!setupDone("parameter write")) {
        return;
    }
    if (address + value.size() > data_.size()) {
        errors_.record(source, "parameter write of %zu bytes at 0x%04X leaves the data space",
                       value.size(), address);
        return;
    }
    std::copy(value.begin(), value.end(), data_.begin() + address);
}

void AvneraBootloader::dataReport(const ByteVector& report) {
    const char* source = simRoleName(role_);
    if (report.size() <= kDataHeaderSize) {
        errors_.record(source, "data report of %zu bytes carries no data", report.size());
        return;
    }
    const auto offset = static_cast<std::uint16_t>(littleEndian(report.data() + 1, 2));
    const ByteVector header = avneraDataReport(offset, nullptr, 0);
    if (!beginsWith(report, header)) {
        errors_.record(source, "data report with a malformed header: %s",
                       hexBytes(report, kDataHeaderSize).c_str());
        return;
    }
    if (!setupDone("data report")) {
        return;
    }
    // The report is padded to the feature length; the chip takes one report's worth of data.
    const std::size_t count =
        std::min<std::size_t>(report.size() - kDataHeaderSize, kAvneraDataReportLimit);
    if (offset + count > ramSize_) {
        errors_.record(source, "data report at offset %u runs past the RAM buffer of %zu bytes",
                       offset, ramSize_);
        return;
    }
    std::copy_n(report.begin() + kDataHeaderSize, count, data_.begin() + chip_.ramBuffer + offset);
    std::fill_n(ramWritten_.begin() + offset, count, true);
}

std::uint32_t AvneraBootloader::parameter(std::uint16_t offset, int width) const {
    return littleEndian(data_.data() + chip_.parameterBlock + offset, width);
}

bool AvneraBootloader::parameterBlockNamesThisChip() {
    const auto chipByte = parameter(kParamChipByte, 1);
    if (chipByte != chip_.chipByte) {
        errors_.record(simRoleName(role_), "parameter block names chip %u, this is chip %u",
                       chipByte, chip_.chipByte);
        return false;
    }
    return true;
}

void AvneraBootloader::eraseRegion() {
    const char* source = simRoleName(role_);
    if (!setupDone("region trigger") || !parameterBlockNamesThisChip()) {
        return;
    }
    const std::uint32_t address = parameter(kParamAddress, 4);
    const std::uint32_t lengthField = parameter(kParamLength, 2);
    const std::uint32_t size = parameter(kParamSizeZ, 4);
    if (lengthField != 1) {
        errors_.record(source, "region trigger with length field %u, expected 1", lengthField);
        return;
    }
    if (size == 0 || address >= eeprom_.size() || size > eeprom_.size() - address) {
        errors_.record(source, "region of %u bytes at 0x%X does not fit the EEPROM of %zu bytes",
                       size, address, eeprom_.size());
        return;
    }
    std::fill_n(eeprom_.begin() + address, size, kErasedByte);
    std::fill_n(erased_.begin() + address, size, true);
}

void AvneraBootloader::commitBlock() {
    const char* source = simRoleName(role_);
    if (!setupDone("commit trigger") || !parameterBlockNamesThisChip()) {
        return;
    }
    const std::uint32_t address = parameter(kParamAddress, 4);
    const std::uint32_t ram = parameter(kParamRamBuffer, 2);
    const std::uint32_t length = parameter(kParamLength, 2);
    const std::uint32_t reserved = parameter(kParamReserved, 2);
    if (ram != chip_.ramBuffer) {
        errors_.record(source, "commit from RAM at 0x%04X, the RAM buffer is at 0x%04X", ram,
                       chip_.ramBuffer);
        return;
    }
    if (length == 0 || length > kAvneraBlockLimit) {
        errors_.record(source, "commit of %u bytes, a block holds 1 to %u", length,
                       kAvneraBlockLimit);
        return;
    }
    if (reserved != 0) {
        errors_.record(source, "commit with 0x%04X in the reserved field", reserved);
        return;
    }
    if (address >= eeprom_.size() || length > eeprom_.size() - address) {
        errors_.record(source, "commit of %u bytes at 0x%X runs past the EEPROM of %zu bytes",
                       length, address, eeprom_.size());
        return;
    }
    if (!std::all_of(ramWritten_.begin(), ramWritten_.begin() + length, [](bool b) { return b; })) {
        errors_.record(source,
                       "commit of %u bytes at 0x%X from RAM not written since the last "
                       "commit",
                       length, address);
        return;
    }
    const auto target = erased_.begin() + address;
    if (chip_.regionPasses && !std::all_of(target, target + length, [](bool b) { return b; })) {
        errors_.record(source,
                       "commit of %u bytes at 0x%X into EEPROM not erased by a region "
                       "pass",
                       length, address);
        return;
    }
    std::copy_n(data_.begin() + chip_.ramBuffer, length, eeprom_.begin() + address);
    std::fill_n(target, length, false);
    std::fill(ramWritten_.begin(), ramWritten_.end(), false);
}

}  // namespace zeltor
