#include "sim/devices/avnera_bootloader.h"

#include <algorithm>

#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

using std::chrono::milliseconds;

constexpr std::size_t kDataSpaceSize = 0x10000;
constexpr std::uint16_t kSetupRegister = 0xF0E1;
constexpr std::uint32_t kDataReportBytes = 256;  // image bytes one data report carries at most
constexpr std::uint32_t kBlockBytes = 4096;      // RAM one commit programs at most
constexpr std::uint8_t kErasedByte = 0xFF;

// How long the chip is busy after each kind of work, refusing every report meanwhile: moving a
// data report into RAM, programming a block, erasing a region.
constexpr milliseconds kDataReportBusy{15};
constexpr milliseconds kCommitBusy{750};
constexpr milliseconds kRegionEraseBusy{3000};
// A block's programming settles this long after its commit; a reset before then loses it.
constexpr milliseconds kCommitSettle{2250};

// The parameter block, offsets from its start; multi-byte values least significant byte first.
struct Field {
    std::uint16_t offset;
    std::uint8_t width;
    const char* name;
};
enum FieldIndex { kChip, kAddress, kRam, kLength, kReserved, kMemory, kT, kG, kZ, kFieldCount };
constexpr Field kFields[kFieldCount] = {
    {0, 1, "chip byte"}, {1, 4, "address"},         {5, 2, "RAM buffer"},
    {7, 2, "length"},    {10, 2, "reserved field"}, {13, 4, "memory size M"},
    {17, 1, "field T"},  {18, 2, "size G"},         {20, 4, "region size Z"},
};
constexpr std::uint16_t kParameterBlockSize = 24;

constexpr std::uint32_t bit(int index) {
    return 1u << index;
}
constexpr std::uint32_t kRegionFields = bit(kChip) | bit(kAddress) | bit(kLength) | bit(kZ);
constexpr std::uint32_t kAllFields = bit(kFieldCount) - 1;

// What the first two bytes of an image say about the memory it is built for. A nibble n stands
// for 2^(n-1) units, and 0 for none.
struct ImageHeader {
    std::uint32_t memory;
    std::uint32_t t;
    std::uint32_t g;
    std::uint32_t z;
};

std::uint32_t units(std::uint32_t unit, unsigned nibble) {
    if (nibble == 0) {
        return 0;
    }
    std::uint32_t size = unit;
    while (--nibble > 0) {
        size *= 2;
    }
    return size;
}

ImageHeader readImageHeader(std::uint8_t b0, std::uint8_t b1, bool regionPasses) {
    ImageHeader header;
    header.memory = units(128, b0 & 0x0F);
    header.t = (b1 >> 4) & 0x03;
    if (regionPasses) {
        // G travels in 16 bits; the dongle's header names 1 when its high nibble is 0.
        header.g = (b0 >> 4) == 0 ? 1 : (units(4, b0 >> 4) & 0xFFFF);
        header.z = units(128, b1 & 0x0F);
    } else {
        header.g = units(4, (b0 >> 4) & 0x07);
        header.z = 0;
    }
    return header;
}

bool allSet(std::vector<bool>::const_iterator from, std::size_t count) {
    return std::all_of(from, from + static_cast<long>(count), [](bool b) { return b; });
}

}  // namespace

AvneraBootloader::AvneraBootloader(DeviceRole role, const SimAvneraChip& chip, const Clock& clock,
                                   DeviceErrorLog& errors)
    : role_(role),
      chip_(chip),
      clock_(clock),
      data_(kDataSpaceSize, 0),
      ramWritten_(chip.ramSize, false),
      eeprom_(oldFirmwarePattern(chip.eepromSize, chip.chipByte)),
      erased_(chip.eepromSize, false),
      errors_(errors) {}

const char* AvneraBootloader::source() const {
    return simRoleName(role_);
}

void AvneraBootloader::powerUp() {
    std::fill(data_.begin(), data_.end(), 0);
    setup_ = false;
    fieldsWritten_ = 0;
    nextRegion_ = 0;
    nextBlock_ = 0;
    startBlockFill();
    busyUntil_ = std::chrono::nanoseconds{0};
    lastCommit_.reset();
}

void AvneraBootloader::startBlockFill() {
    std::fill(ramWritten_.begin(), ramWritten_.end(), false);
    nextDataOffset_ = 0;
}

void AvneraBootloader::becomeBusy(milliseconds time, const char* work) {
    busyUntil_ = clock_.now() + time;
    busyWith_ = work;
}

SimReaction AvneraBootloader::onSetFeature(const ByteVector& report) {
    if (report.empty() || (report[0] != kChipCommandReportId && report[0] != kChipDataReportId)) {
        errors_.record(source(), "feature report of unknown id refused: %s",
                       hexBytes(report, 4).c_str());
        return SimReaction::refused(kErrorInvalidParameter);
    }
    if (const auto now = clock_.now(); now < busyUntil_) {
        const auto left = std::chrono::ceil<milliseconds>(busyUntil_ - now);
        errors_.record(source(), "report refused while %s (%lld ms to go): %s", busyWith_,
                       static_cast<long long>(left.count()), hexBytes(report, 12).c_str());
        return SimReaction::refused(kErrorGenFailure);
    }
    if (report[0] == kChipDataReportId) {
        dataReport(report);
        return {};
    }
    const auto command = chipCommandOf(report);
    if (command == ChipCommand::Reset) {
        return reset();
    }
    if (command == ChipCommand::RegionTrigger) {
        eraseRegion();
    } else if (command == ChipCommand::CommitTrigger) {
        commitBlock();
    } else if (command) {
        errors_.record(source(), "application command %s ignored by the bootloader",
                       hexBytes(report, 12).c_str());
    } else if (const auto write = chipParameterWriteOf(report)) {
        parameterWrite(*write);
    } else {
        errors_.record(source(), "unknown command %s", hexBytes(report, 12).c_str());
    }
    return {};
}

SimReaction AvneraBootloader::reset() {
    if (lastCommit_ && clock_.now() - lastCommit_->at < kCommitSettle) {
        const auto since = std::chrono::duration_cast<milliseconds>(clock_.now() - lastCommit_->at);
        errors_.record(source(),
                       "reset %lld ms after the commit of %u bytes at 0x%X, before its "
                       "programming settled: the block is lost",
                       static_cast<long long>(since.count()), lastCommit_->length,
                       lastCommit_->address);
        std::fill_n(eeprom_.begin() + lastCommit_->address, lastCommit_->length, kErasedByte);
    }
    // The chip restarts at once and is off the bus before the host's transfer completes.
    SimReaction reaction = SimReaction::refused(kErrorDeviceNotConnected);
    reaction.request = SimRequest::Restart;
    return reaction;
}

void AvneraBootloader::parameterWrite(const ChipParameterWrite& write) {
    if (write.target != 0) {
        errors_.record(source(),
                       "parameter write to 0x%04X with 0x%02X in byte 8 ignored, the bootloader "
                       "takes 0 there",
                       write.address, write.target);
        return;
    }
    if (write.address == kSetupRegister) {
        setupWrite(write.value);
        return;
    }
    if (!setup_) {
        errors_.record(source(), "parameter write before the setup write to 0x%04X ignored",
                       kSetupRegister);
        return;
    }
    blockFieldsWrite(write.address, write.value);
}

void AvneraBootloader::setupWrite(const ByteVector& value) {
    const auto written = littleEndian(value.data(), static_cast<int>(value.size()));
    if (value.size() != chip_.setupWidth || written != chip_.setupValue) {
        errors_.record(source(), "setup register written with %zu byte(s) 0x%X, expected 0x%X",
                       value.size(), written, chip_.setupValue);
        return;
    }
    // The setup opens a programming session: an earlier one, cut short, is forgotten.
    setup_ = true;
    fieldsWritten_ = 0;
    nextRegion_ = 0;
    nextBlock_ = 0;
    startBlockFill();
}

void AvneraBootloader::blockFieldsWrite(std::uint16_t address, const ByteVector& value) {
    // A write fills one field, or fields that follow each other without a gap, whole.
    const int offset = address - chip_.parameterBlock;
    const Field* first = std::find_if(std::begin(kFields), std::end(kFields),
                                      [offset](const Field& f) { return f.offset == offset; });
    std::uint32_t covered = 0;
    std::size_t width = 0;
    for (const Field* f = first; f != std::end(kFields) && width < value.size(); ++f) {
        if (f->offset != offset + static_cast<int>(width)) {
            break;
        }
        width += f->width;
        covered |= bit(static_cast<int>(f - kFields));
    }
    if (offset < 0 || offset >= kParameterBlockSize || first == std::end(kFields) ||
        width != value.size()) {
        errors_.record(source(),
                       "parameter write of %zu byte(s) at 0x%04X ignored: it does not fill whole "
                       "fields of the parameter block at 0x%04X",
                       value.size(), address, chip_.parameterBlock);
        return;
    }
    std::copy(value.begin(), value.end(), data_.begin() + address);
    fieldsWritten_ |= covered;
}

std::uint32_t AvneraBootloader::field(int index) const {
    return littleEndian(data_.data() + chip_.parameterBlock + kFields[index].offset,
                        kFields[index].width);
}

bool AvneraBootloader::ready(const char* what, std::uint32_t neededFields) {
    if (!setup_) {
        errors_.record(source(), "%s before the setup write to 0x%04X ignored", what,
                       kSetupRegister);
        return false;
    }
    for (int i = 0; i < kFieldCount; ++i) {
        if ((neededFields & bit(i)) != 0 && (fieldsWritten_ & bit(i)) == 0) {
            errors_.record(source(), "%s ignored: the parameter block's %s was never written", what,
                           kFields[i].name);
            return false;
        }
    }
    if (neededFields != 0 && field(kChip) != chip_.chipByte) {
        errors_.record(source(), "parameter block names chip %u, this is chip %u", field(kChip),
                       chip_.chipByte);
        return false;
    }
    return true;
}

void AvneraBootloader::dataReport(const ByteVector& report) {
    if (!chipDataHeaderIsSound(report)) {
        errors_.record(source(), "data report with a malformed header: %s",
                       hexBytes(report, kChipDataHeaderSize).c_str());
        return;
    }
    if (!ready("data report", 0)) {
        return;
    }
    const std::uint32_t offset = chipDataOffset(report);
    // The report is padded to the feature length; the chip takes one report's worth of data.
    const std::size_t count =
        std::min<std::size_t>(report.size() - kChipDataHeaderSize, kDataReportBytes);
    if (offset + count > chip_.ramSize) {
        errors_.record(source(), "data report at offset %u runs past the RAM buffer of %u bytes",
                       offset, chip_.ramSize);
        return;
    }
    if (offset == 0) {
        startBlockFill();
    } else if (offset != nextDataOffset_) {
        errors_.record(source(), "data report at offset %u ignored, the block's next is at %u",
                       offset, nextDataOffset_);
        return;
    }
    std::copy_n(report.begin() + kChipDataHeaderSize, count,
                data_.begin() + chip_.ramBuffer + offset);
    std::fill_n(ramWritten_.begin() + offset, count, true);
    nextDataOffset_ = offset + kDataReportBytes;
    becomeBusy(kDataReportBusy, "moving a data report into RAM");
}

void AvneraBootloader::eraseRegion() {
    if (!chip_.regionPasses) {
        errors_.record(source(), "region trigger ignored: this chip has no regions to erase");
        return;
    }
    if (!ready("region trigger", kRegionFields)) {
        return;
    }
    const std::uint32_t address = field(kAddress);
    const std::uint32_t lengthField = field(kLength);
    const std::uint32_t size = field(kZ);
    if (lengthField != 1) {
        errors_.record(source(), "region trigger with length field %u, expected 1", lengthField);
        return;
    }
    if (size < 128 || (size & (size - 1)) != 0 || address >= eeprom_.size() ||
        size > eeprom_.size() - address) {
        errors_.record(source(), "region of %u bytes at 0x%X does not fit the EEPROM of %zu bytes",
                       size, address, eeprom_.size());
        return;
    }
    if (address != nextRegion_) {
        errors_.record(source(), "region pass at 0x%X ignored, the next region is at 0x%X", address,
                       nextRegion_);
        return;
    }
    std::fill_n(eeprom_.begin() + address, size, kErasedByte);
    std::fill_n(erased_.begin() + address, size, true);
    nextRegion_ += size;
    becomeBusy(kRegionEraseBusy, "erasing a region");
}

bool AvneraBootloader::headerMatchesParameters() {
    const std::uint8_t* ram = data_.data() + chip_.ramBuffer;
    const ImageHeader image = readImageHeader(ram[0], ram[1], chip_.regionPasses);
    const ImageHeader block{field(kMemory), field(kT), field(kG), field(kZ)};
    if (image.memory != block.memory || image.t != block.t || image.g != block.g ||
        image.z != block.z) {
        errors_.record(source(),
                       "commit refused: the parameter block says M %u, T %u, G %u, Z %u; the "
                       "image header %02x %02x says M %u, T %u, G %u, Z %u",
                       block.memory, block.t, block.g, block.z, ram[0], ram[1], image.memory,
                       image.t, image.g, image.z);
        return false;
    }
    if (block.memory > eeprom_.size()) {
        errors_.record(source(),
                       "commit refused: the image is built for %u bytes, this chip has %zu",
                       block.memory, eeprom_.size());
        return false;
    }
    return true;
}

void AvneraBootloader::commitBlock() {
    if (!ready("commit trigger", kAllFields)) {
        return;
    }
    const std::uint32_t address = field(kAddress);
    const std::uint32_t ram = field(kRam);
    const std::uint32_t length = field(kLength);
    const std::uint32_t reserved = field(kReserved);
    if (ram != chip_.ramBuffer) {
        errors_.record(source(), "commit from RAM at 0x%04X, the RAM buffer is at 0x%04X", ram,
                       chip_.ramBuffer);
        return;
    }
    if (length == 0 || length > kBlockBytes) {
        errors_.record(source(), "commit of %u bytes, a block holds 1 to %u", length, kBlockBytes);
        return;
    }
    if (reserved != 0) {
        errors_.record(source(), "commit with 0x%04X in the reserved field", reserved);
        return;
    }
    if (address >= eeprom_.size() || length > eeprom_.size() - address) {
        errors_.record(source(), "commit of %u bytes at 0x%X runs past the EEPROM of %zu bytes",
                       length, address, eeprom_.size());
        return;
    }
    if (address != nextBlock_) {
        errors_.record(source(), "commit of the block at 0x%X ignored, the next block is at 0x%X",
                       address, nextBlock_);
        return;
    }
    if (!allSet(ramWritten_.begin(), length)) {
        errors_.record(source(),
                       "commit of %u bytes at 0x%X from RAM not written since the last commit",
                       length, address);
        return;
    }
    if (nextDataOffset_ > kDataReportBytes && length <= nextDataOffset_ - kDataReportBytes) {
        errors_.record(source(), "commit of %u bytes leaves out the data report at offset %u",
                       length, nextDataOffset_ - kDataReportBytes);
        return;
    }
    if (address == 0 && !headerMatchesParameters()) {
        return;
    }
    if (address + length > field(kMemory)) {
        errors_.record(source(), "commit of %u bytes at 0x%X runs past the memory size M of %u",
                       length, address, field(kMemory));
        return;
    }
    if (chip_.regionPasses && !allSet(erased_.begin() + address, length)) {
        errors_.record(source(),
                       "commit of %u bytes at 0x%X into EEPROM not erased by a region pass", length,
                       address);
        return;
    }
    std::copy_n(data_.begin() + chip_.ramBuffer, length, eeprom_.begin() + address);
    std::fill_n(erased_.begin() + address, length, false);
    startBlockFill();
    nextBlock_ += length;
    lastCommit_ = Commit{clock_.now(), address, length};
    becomeBusy(kCommitBusy, "programming a block");
}

}  // namespace zeltor
