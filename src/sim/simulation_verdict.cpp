#include "sim/simulation_verdict.h"

#include <algorithm>
#include <cstdio>

#include "protocol/avnera_plan.h"
#include "protocol/mcu_plan.h"
#include "sim/scenario/sim_world.h"

namespace zeltor {
namespace {

constexpr std::size_t kDataReportHeader = 7;
constexpr std::size_t kMCUBlockHeader = 6;

// Whether memory starts with the image; an empty image (a missing plan) never matches.
bool holds(const ByteVector& memory, const ByteVector& image) {
    return !image.empty() && memory.size() >= image.size() &&
           std::equal(image.begin(), image.end(), memory.begin());
}

std::string part(const char* name, bool skipped, bool matches) {
    return std::string(name) +
           (skipped ? " skipped" : (matches ? " matches its image" : " DIFFERS from its image"));
}

}  // namespace

ByteVector imageOfAvneraPlan(const PacketQueue& plan) {
    ByteVector image;
    for (const auto& packet : plan) {
        if (packet.m_Request.size() > kDataReportHeader &&
            packet.m_Request[0] == kAvneraDataReportId) {
            image.insert(image.end(), packet.m_Request.begin() + kDataReportHeader,
                         packet.m_Request.end());
        }
    }
    return image;
}

ByteVector imageOfMCUPlan(const PacketQueue& plan) {
    ByteVector image;
    for (const auto& packet : plan) {
        const auto& r = packet.m_Request;
        if (r.size() == kMCUBlockHeader + kMCUBlockSize + 1 && r[0] == kMCUReportId &&
            r[3] == 0x03) {
            image.insert(image.end(), r.begin() + kMCUBlockHeader,
                         r.begin() + kMCUBlockHeader + kMCUBlockSize);
        }
    }
    return image;
}

SimulationVerdict judgeSimulation(SimWorld& world, const PacketQueue& headsetPlan,
                                  const PacketQueue& donglePlan, const PacketQueue& mcuPlan,
                                  bool headsetSkipped, bool dongleSkipped, bool mcuSkipped) {
    const bool headset = holds(world.headset().eeprom(), imageOfAvneraPlan(headsetPlan));
    const bool dongle = holds(world.dongle().eeprom(), imageOfAvneraPlan(donglePlan));
    const bool mcu = holds(world.headset().mcuFlash(), imageOfMCUPlan(mcuPlan));
    const bool paired = world.headset().pairingId() == world.dongle().pairingId();
    char pairing[64];
    std::snprintf(pairing, sizeof pairing, paired ? "both paired to 0x%08x" : "NOT paired (0x%08x)",
                  world.dongle().pairingId());
    SimulationVerdict verdict;
    verdict.good =
        (headsetSkipped || headset) && (dongleSkipped || dongle) && (mcuSkipped || mcu) && paired;
    verdict.line = std::string("Simulation: ") + part("headset", headsetSkipped, headset) + ", " +
                   part("dongle", dongleSkipped, dongle) + ", " + part("MCU", mcuSkipped, mcu) +
                   ", " + pairing + ".";
    return verdict;
}

}  // namespace zeltor
