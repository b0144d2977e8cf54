// The soak's flash watch, on device records written out by hand: what counts as a flash, what
// counts as a person acting, and when a failed tool may flash again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "soak/flash_watch.h"

namespace zeltor::test {
namespace {

using soak::FlashWatch;

// One step of a story: a report a device received, a cable, or a note the soak makes.
struct Step {
    enum class Kind { Report, Plugged, Unplugged, Failure, ProgramStart, StartPressed };
    Kind kind;
    DeviceRole role = DeviceRole::ZeltorHeadset;
    ByteVector bytes = {};
};

constexpr auto kHeadset = DeviceRole::ZeltorHeadset;
constexpr auto kDongle = DeviceRole::ZeltorDongle;
constexpr auto kMcu = DeviceRole::ZeltorHeadsetMCU;
constexpr auto kHeadsetBootloader = DeviceRole::AvneraHeadsetBootloader;

Step report(DeviceRole role, ByteVector bytes) {
    return {Step::Kind::Report, role, std::move(bytes)};
}
const Step kFailure{Step::Kind::Failure};
const Step kPlugged{Step::Kind::Plugged};
const Step kUnplugged{Step::Kind::Unplugged};
const Step kProgramStart{Step::Kind::ProgramStart};
const Step kStartPressed{Step::Kind::StartPressed};
const Step kVersionRequest =
    report(kHeadset, {0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07, 0x00, 0x05, 0x03, 0x05, 0x00, 0x00});
const Step kHeadsetEntry = report(kHeadset, {0xFF, 0x02, 0x00, 0x0A});
const Step kDongleEntry = report(kDongle, {0xFF, 0x02, 0x00, 0x0A});
const Step kPairingStore = report(kHeadset, {0xFF, 0x05, 0x00, 0x39});
const Step kDataReport = report(kHeadsetBootloader, {0xE4, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01});
const Step kMcuUpdateMode = report(kMcu, {0x06, 0x88, 0x01});
const Step kMcuVersion = report(kMcu, {0x06, 0x88, 0x07, 0x00});
const Step kMcuPlanStart = report(kMcu, {0x06, 0xBB, 0x03, 0x02, 0x00});
const Step kMcuData = report(kMcu, {0x06, 0xBB, 0x03, 0x03, 0x00});

struct Story {
    const char* name;
    std::vector<Step> steps;
    const char* selfStarted;  // what selfStartedFlash says begins with this; "" for nothing
    const char* excess;       // the same for excessPlans
};

std::vector<Story> stories() {
    return {
        {"a failure left alone, then a version request and a pairing store",
         {kProgramStart, kStartPressed, kHeadsetEntry, kFailure, kVersionRequest, kPairingStore},
         "",
         ""},
        {"a failure, then the chip's bootloader entry",
         {kProgramStart, kStartPressed, kHeadsetEntry, kFailure, kUnplugged, kHeadsetEntry},
         "after failure 1, with nobody touching anything, the headset received ff 02 00 0a",
         "the headset chip started plan 2 after 1 actions"},
        {"a failure, then a report to the bootloader",
         {kProgramStart, kStartPressed, kHeadsetEntry, kFailure, kDataReport},
         "after failure 1, with nobody touching anything, the headset-bootloader received e4",
         ""},
        {"a failure, then the MCU's update mode",
         {kProgramStart, kStartPressed, kMcuVersion, kFailure, kMcuUpdateMode},
         "after failure 1, with nobody touching anything, the mcu received 06 88 01",
         ""},
        {"a failure, then an MCU plan packet",
         {kProgramStart, kStartPressed, kFailure, kMcuData},
         "after failure 1, with nobody touching anything, the mcu received 06 bb 03 03",
         ""},
        {"a failure, a replug, then both chips again",
         {kProgramStart, kStartPressed, kHeadsetEntry, kDongleEntry, kFailure, kUnplugged, kPlugged,
          kHeadsetEntry, kDongleEntry},
         "",
         ""},
        {"a replug while the failing step was still under way",
         {kProgramStart, kStartPressed, kHeadsetEntry, kUnplugged, kPlugged, kFailure,
          kHeadsetEntry},
         "",
         ""},
        {"a replug before the failing step's last report does not count",
         {kProgramStart, kStartPressed, kUnplugged, kPlugged, kVersionRequest, kFailure,
          kHeadsetEntry},
         "after failure 1",
         ""},
        {"a failure, then the program started again and Start pressed",
         {kProgramStart, kStartPressed, kHeadsetEntry, kFailure, kProgramStart, kStartPressed,
          kHeadsetEntry},
         "",
         ""},
        {"one Start press, the dongle's chip sent to its bootloader twice",
         {kProgramStart, kStartPressed, kDongleEntry, kDongleEntry},
         "",
         "the dongle chip started plan 2 after 1 actions"},
        {"the program started but Start not pressed, then a bootloader entry",
         {kProgramStart, kHeadsetEntry},
         "",
         "the headset chip started plan 1 after 0 actions"},
        {"an MCU plan's start retried at once is one plan; a second start after data is another",
         {kProgramStart, kStartPressed, kMcuPlanStart, kMcuPlanStart, kMcuData, kMcuPlanStart},
         "",
         "the MCU started plan 2 after 1 actions"},
    };
}

TEST(FlashWatchTest, JudgesStoriesFromTheDevicesRecord) {
    for (const Story& story : stories()) {
        SimBusRecord record;
        FlashWatch watch(record);
        std::uint32_t failures = 0;
        for (const Step& step : story.steps) {
            switch (step.kind) {
                case Step::Kind::Report:
                    record.report(step.role, step.bytes);
                    break;
                case Step::Kind::Plugged:
                case Step::Kind::Unplugged:
                    record.cable(kHeadset, step.kind == Step::Kind::Plugged);
                    break;
                case Step::Kind::Failure:
                    watch.noteFailure(++failures);
                    break;
                case Step::Kind::ProgramStart:
                case Step::Kind::StartPressed:
                    watch.notePersonActed(step.kind == Step::Kind::StartPressed);
                    break;
            }
        }
        const std::string selfStarted = watch.selfStartedFlash();
        const std::string excess = watch.excessPlans();
        EXPECT_EQ(selfStarted.substr(0, std::string(story.selfStarted).size()), story.selfStarted)
            << story.name << ": " << selfStarted;
        EXPECT_EQ(selfStarted.empty(), std::string(story.selfStarted).empty()) << story.name;
        EXPECT_EQ(excess.substr(0, std::string(story.excess).size()), story.excess)
            << story.name << ": " << excess;
        EXPECT_EQ(excess.empty(), std::string(story.excess).empty()) << story.name;
    }
}

}  // namespace
}  // namespace zeltor::test
