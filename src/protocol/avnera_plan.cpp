#include "protocol/avnera_plan.h"

#include <algorithm>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

// A nibble n gives 2^(n-1) units; 0 gives 0 (the shifted bit leaves the 32-bit range).
std::uint32_t nibbleSize(std::uint32_t unit, unsigned n) {
    return n == 0 ? 0 : unit << (n - 1);
}

void appendLittleEndian(ByteVector& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

DfuPacket feature(ByteVector request) {
    return DfuPacket(PacketSetFeature, std::move(request));
}

DfuPacket pause(std::int32_t ms) {
    return DfuPacket(PacketPause, ms);
}

}  // namespace

AvneraImageGeometry avneraImageGeometry(const ByteVector& image, bool dongle) {
    const unsigned b0 = image.size() > 0 ? image[0] : 0;
    const unsigned b1 = image.size() > 1 ? image[1] : 0;
    AvneraImageGeometry g{};
    g.memorySize = nibbleSize(128, b0 & 0x0F);
    if (dongle) {
        const unsigned high = b0 >> 4;
        g.sizeG = static_cast<std::uint16_t>(high == 0 ? 1 : nibbleSize(4, high));
        g.sizeZ = nibbleSize(128, b1 & 0x0F);
    } else {
        g.sizeG = static_cast<std::uint16_t>(nibbleSize(4, (b0 >> 4) & 0x07));
        g.sizeZ = 0;
    }
    g.fieldT = static_cast<std::uint8_t>((b1 >> 4) & 0x03);
    return g;
}

int avneraAvailableRam(const AvneraChip& chip) {
    return 0xEFFF - chip.ramBuffer - 0x100;
}

ByteVector avneraParameterWrite(std::uint16_t address, std::uint64_t value, int width) {
    ByteVector r{kAvneraCommandReportId,
                 static_cast<std::uint8_t>(9 + width),
                 0x00,
                 0xFF,
                 0x04,
                 0x00,
                 0x00,
                 static_cast<std::uint8_t>(4 + width),
                 0x00,
                 static_cast<std::uint8_t>(address & 0xFF),
                 static_cast<std::uint8_t>(address >> 8)};
    appendLittleEndian(r, value, width);
    return r;
}

ByteVector avneraRegionTrigger() {
    return {kAvneraCommandReportId, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x05, 0x0C};
}

ByteVector avneraCommitTrigger() {
    return {kAvneraCommandReportId, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x02, 0x03};
}

ByteVector avneraResetRequest() {
    return {kAvneraCommandReportId, 0x02, 0x00, 0x05};
}

ByteVector avneraDataReport(std::uint16_t offset, const std::uint8_t* bytes, std::size_t count) {
    ByteVector r(7 + count);
    r[0] = kAvneraDataReportId;
    r[1] = static_cast<std::uint8_t>(offset & 0xFF);
    r[2] = static_cast<std::uint8_t>(offset >> 8);
    r[6] = 0x01;
    std::copy(bytes, bytes + count, r.begin() + 7);
    return r;
}

bool buildAvneraPlan(bool dongle, const ByteVector& image, PacketQueue& plan) {
    if (image.empty()) {
        Trace("  The image is empty, there is nothing to program\n");
        return false;
    }
    const AvneraChip& chip = dongle ? kAvneraDongleChip : kAvneraHeadsetChip;
    const AvneraImageGeometry g = avneraImageGeometry(image, dongle);
    const std::size_t size = image.size();
    if (size > g.memorySize) {
        Trace("  File size is larger than available device memory\n");
        return false;
    }
    if (chip.regionPasses && g.sizeZ == 0) {
        // A region size of 0 would make the region passes below endless.
        Trace("  Region size in the image header is 0, the image cannot be programmed\n");
        return false;
    }
    const std::uint16_t p = chip.parameterBlock;
    plan.push_back(
        feature(avneraParameterWrite(kAvneraSetupRegister, chip.setupValue, chip.setupWidth)));
    plan.push_back(feature(avneraParameterWrite(p + kParamChipByte, chip.chipByte, 1)));
    plan.push_back(feature(avneraParameterWrite(p + kParamSizeZ, g.sizeZ, 4)));
    const std::uint64_t geometry = std::uint64_t{g.memorySize} | (std::uint64_t{g.fieldT} << 32) |
                                   (std::uint64_t{g.sizeG} << 40);
    plan.push_back(feature(avneraParameterWrite(p + kParamMemorySize, geometry, 7)));
    Trace("  Available RAM for download is %d. DFU file is %d bytes\n", avneraAvailableRam(chip),
          static_cast<int>(size));

    if (chip.regionPasses) {
        for (std::uint64_t a = 0; a < size; a += g.sizeZ) {
            plan.push_back(feature(avneraParameterWrite(p + kParamAddress, a, 4)));
            plan.push_back(feature(avneraParameterWrite(p + kParamLength, 1, 2)));
            plan.push_back(feature(avneraRegionTrigger()));
            plan.push_back(pause(kAvneraRegionPauseMs));
        }
    }

    std::size_t remaining = size;
    std::size_t position = 0;
    std::uint32_t blockAddress = 0;
    while (remaining > 0) {
        const auto length =
            static_cast<std::uint32_t>(std::min<std::size_t>(kAvneraBlockLimit, remaining));
        for (std::uint32_t offset = 0; remaining > 0 && offset < length;
             offset += kAvneraDataReportLimit) {
            const std::size_t n = std::min<std::size_t>(kAvneraDataReportLimit, remaining);
            plan.push_back(feature(
                avneraDataReport(static_cast<std::uint16_t>(offset), image.data() + position, n)));
            plan.push_back(pause(kAvneraDataPauseMs));
            remaining -= n;
            position += n;
        }
        plan.push_back(feature(avneraParameterWrite(p + kParamAddress, blockAddress, 4)));
        plan.push_back(feature(avneraParameterWrite(p + kParamRamBuffer, chip.ramBuffer, 2)));
        plan.push_back(feature(avneraParameterWrite(p + kParamLength, length, 2)));
        plan.push_back(feature(avneraParameterWrite(p + kParamReserved, 0, 2)));
        Trace("  Committing RAM to EEPROM starting at 0x%04x\n", blockAddress);
        plan.push_back(feature(avneraCommitTrigger()));
        blockAddress += length;
        plan.push_back(pause(kAvneraCommitPauseMs));
    }
    Trace("  Programming complete, Sending Reset command\n");
    plan.push_back(pause(kAvneraResetPauseMs));
    plan.push_back(DfuPacket(PacketSetFeatureNoCheck, avneraResetRequest()));
    return true;
}

}  // namespace zeltor
