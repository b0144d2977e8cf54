#include "protocol/mcu_plan.h"

#include "trace/trace_log.h"

namespace zeltor {

void AppendMCUStartPacket(PacketQueue& plan) {
    plan.emplace_back(PacketWriteVerify, ByteVector{kMCUReportId, 0xBB, 0x03, 0x02},
                      ByteVector{kMCUReportId, 0xBB, 0x03, 0x02, 0x00});
}

void MakeMCUDataPacket(const std::uint8_t* block, std::uint8_t addressHigh, std::uint8_t addressLow,
                       DfuPacket& packet) {
    ByteVector request{kMCUReportId, 0xBB, 0x03, 0x03, addressHigh, addressLow};
    unsigned sum = addressHigh + addressLow + 0xC1u;
    for (std::size_t i = 0; i < kMCUBlockSize; ++i) {
        request.push_back(block[i]);
        sum += block[i];
    }
    request.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    packet = DfuPacket(PacketWriteVerify, std::move(request),
                       ByteVector{kMCUReportId, 0xBB, 0x03, 0x03});
}

void AppendMCUFinishPackets(PacketQueue& plan, std::uint8_t imageChecksum) {
    plan.emplace_back(PacketWriteVerify, ByteVector{kMCUReportId, 0xBB, 0x03, 0x04},
                      ByteVector{kMCUReportId, 0xBB, 0x03, 0x04, imageChecksum});
    plan.emplace_back(PacketWriteVerify, ByteVector{kMCUReportId, 0xBB, 0x03, 0x05},
                      ByteVector{kMCUReportId, 0xBB, 0x03, 0x05, 0x00});
    plan.emplace_back(PacketWrite, ByteVector{kMCUReportId, 0x88, 0x02});
}

bool BuildMCUPlan(const ByteVector& image, PacketQueue& plan) {
    if (image.empty() || image.size() % kMCUBlockSize != 0 || image.size() > kMCUMaxImageSize) {
        Trace(
            "  MCU image of %zu bytes refused: its size must be a multiple of %zu bytes, "
            "at most %zu\n",
            image.size(), kMCUBlockSize, kMCUMaxImageSize);
        return false;
    }
    unsigned checksum = 0;
    AppendMCUStartPacket(plan);
    for (std::size_t offset = 0; offset < image.size(); offset += kMCUBlockSize) {
        DfuPacket packet;
        MakeMCUDataPacket(image.data() + offset, static_cast<std::uint8_t>(offset >> 8),
                          static_cast<std::uint8_t>(offset & 0xFF), packet);
        for (std::size_t i = 0; i < kMCUBlockSize; ++i) {
            checksum += image[offset + i];
        }
        plan.push_back(std::move(packet));
    }
    AppendMCUFinishPackets(plan, static_cast<std::uint8_t>(checksum & 0xFF));
    return true;
}

bool BuildMCUPlanFromResource(ModuleHandle module, PacketQueue& plan, int id) {
    plan.clear();
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!LoadTextResource(module, id, data, size)) {
        return false;
    }
    const ByteVector image(data, data + size);
    return BuildMCUPlan(image, plan);
}

}  // namespace zeltor
