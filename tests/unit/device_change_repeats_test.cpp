#include "hid/device_change_repeats.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeltor {
namespace {

DeviceChange interfaceChange(std::uint32_t eventType, const char* path) {
    return {eventType, true, DBT_DEVTYP_DEVICEINTERFACE, path, 0};
}

struct RepeatCase {
    const char* name;
    std::vector<DeviceChange> changes;
    std::vector<bool> repeats;
};

constexpr const char* kHeadset = R"(\\?\hid#vid_2f5a&pid_5c1b#0&0000&0&1#{4d1e55b2})";
constexpr const char* kHeadsetUpper = R"(\\?\HID#VID_2F5A&PID_5C1B#0&0000&0&1#{4D1E55B2})";
constexpr const char* kDongle = R"(\\?\hid#vid_2f5a&pid_5c1a#0&0000&0&0#{4d1e55b2})";

class DeviceChangeRepeatsTest : public testing::TestWithParam<RepeatCase> {};

TEST_P(DeviceChangeRepeatsTest, LeavesOutOnlyWhatRepeatsTheLastEventOfTheSameInterface) {
    DeviceChangeRepeats repeats;
    std::vector<bool> seen;
    for (const DeviceChange& change : GetParam().changes) {
        seen.push_back(repeats.isRepeat(change));
    }
    EXPECT_EQ(seen, GetParam().repeats);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DeviceChangeRepeatsTest,
    testing::Values(
        // Wine's delivery with one handle registered: each event twice in a row.
        RepeatCase{"each_event_twice",
                   {interfaceChange(DBT_DEVICEREMOVECOMPLETE, kHeadset),
                    interfaceChange(DBT_DEVICEREMOVECOMPLETE, kHeadset),
                    interfaceChange(DBT_DEVICEARRIVAL, kHeadset),
                    interfaceChange(DBT_DEVICEARRIVAL, kHeadset)},
                   {false, true, false, true}},
        // A device that leaves and comes back again and again is news every time.
        RepeatCase{"replugged_again_and_again",
                   {interfaceChange(DBT_DEVICEARRIVAL, kHeadset),
                    interfaceChange(DBT_DEVICEREMOVECOMPLETE, kHeadset),
                    interfaceChange(DBT_DEVICEARRIVAL, kHeadset),
                    interfaceChange(DBT_DEVICEREMOVECOMPLETE, kHeadset)},
                   {false, false, false, false}},
        // The system names one interface in either case.
        RepeatCase{"case_of_the_path",
                   {interfaceChange(DBT_DEVICEARRIVAL, kHeadset),
                    interfaceChange(DBT_DEVICEARRIVAL, kHeadsetUpper)},
                   {false, true}},
        // Interfaces are apart: one's event is no repeat of another's.
        RepeatCase{"two_interfaces",
                   {interfaceChange(DBT_DEVICEREMOVECOMPLETE, kHeadset),
                    interfaceChange(DBT_DEVICEREMOVECOMPLETE, kDongle),
                    interfaceChange(DBT_DEVICEREMOVECOMPLETE, kHeadset)},
                   {false, false, true}},
        // Query-removes, handle events and events without a header all go through.
        RepeatCase{"other_events_pass",
                   {interfaceChange(DBT_DEVICEQUERYREMOVE, kHeadset),
                    interfaceChange(DBT_DEVICEQUERYREMOVE, kHeadset),
                    DeviceChange{DBT_DEVICEREMOVECOMPLETE, true, DBT_DEVTYP_HANDLE, "", 0x44},
                    DeviceChange{DBT_DEVICEREMOVECOMPLETE, true, DBT_DEVTYP_HANDLE, "", 0x44},
                    DeviceChange{DBT_DEVICEARRIVAL, false, 0, "", 0},
                    DeviceChange{DBT_DEVICEARRIVAL, false, 0, "", 0}},
                   {false, false, false, false, false, false}}),
    [](const testing::TestParamInfo<RepeatCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zeltor
