// Many runs with random faults drawn from every kind the simulation has, each followed by clean
// retries as a person would make them. Whatever happens, a run never ends in success with
// memory that differs from the images or with unpaired devices; once the faults stop, the tool,
// failed and left alone, never flashes by itself, and it always brings both devices to a
// complete update. Whatever the faults, the devices see no flash after a failure until a person
// acts, nor more plans than the person's actions allow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sim/scenario/scenario_json.h"
#include "sim/scenario/scenario_writer.h"
#include "soak/soak_run.h"

namespace zeltor::test {
namespace {

using soak::drawSoakScenario;

class SoakTest : public ::testing::TestWithParam<std::uint32_t> {};

// Each shard runs its own seeds, so the shards share the machine's cores. Builds that run far
// slower (the sanitizers, Wine) ask for fewer scenarios through ZELTOR_SOAK_SCENARIOS_PER_SHARD.
constexpr std::uint32_t kShards = 8;

std::uint32_t scenariosPerShard() {
    const char* value = std::getenv("ZELTOR_SOAK_SCENARIOS_PER_SHARD");
    const long count = value != nullptr ? std::strtol(value, nullptr, 10) : 0;
    return count > 0 ? static_cast<std::uint32_t>(count) : 1250;
}

TEST_P(SoakTest, RandomFaultsNeverLeaveADeviceBehind) {
    const std::uint32_t kScenariosPerShard = scenariosPerShard();
    const std::uint32_t first = GetParam() * kScenariosPerShard;
    std::uint32_t retried = 0;
    std::size_t acted = 0;
    for (std::uint32_t seed = first; seed < first + kScenariosPerShard; ++seed) {
        const soak::SoakDraw draw = drawSoakScenario(seed);
        const soak::SoakOutcome outcome = soak::runSoakScenario(draw);
        ASSERT_TRUE(outcome.good())
            << "seed " << seed << ", " << soak::violationName(outcome.violation) << ": "
            << outcome.problem << "\n"
            << writeScenario(draw.scenario);
        retried += outcome.neededCleanRetry ? 1 : 0;
        acted += outcome.faultsActed;
    }
    RecordProperty("scenarios", static_cast<int>(kScenariosPerShard));
    std::printf(
        "soak shard %u: %u random fault scenarios (%zu faults acted, %u needed a fresh "
        "start after the faults), all kept the invariant\n",
        GetParam(), kScenariosPerShard, acted, retried);
}

INSTANTIATE_TEST_SUITE_P(Shards, SoakTest, ::testing::Range<std::uint32_t>(0, kShards));

// A violation is shown as the scenario's JSON, to be replayed with /SIMULATE=<file>: every kind
// of drawn scenario must read back as drawn.
TEST(SoakScenarioTest, DrawnScenariosReadBackFromTheirJson) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        const soak::SoakDraw draw = drawSoakScenario(seed);
        const std::string json = writeScenario(draw.scenario);
        SimScenario read;
        std::string error;
        ASSERT_TRUE(parseScenario(json, "soak.json", read, error)) << error << "\n" << json;
        ASSERT_TRUE(read == draw.scenario) << "seed " << seed << "\n" << json;
    }
}

}  // namespace
}  // namespace zeltor::test
