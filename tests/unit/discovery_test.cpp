#include "hid/discovery.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/log_capture.h"
#include "support/scripted_collection.h"

namespace zeltor {
namespace {

struct Present {
    const char* path;
    HidAttributes attributes;
    HidCaps caps;
    bool probeable;
};

constexpr HidCaps caps(std::uint16_t usagePage, std::uint16_t usage = 1) {
    return HidCaps{usage, usagePage, 64, 64, 263};
}

TEST(DiscoveryTest, FindsExactlyTheFiveRolesAmongOtherDevices) {
    EventClock scheduler;
    test::PostedWork work;
    SimHidBackend backend(scheduler, work.poster());
    const Present devices[] = {
        {"keyboard", {12, 0x046D, 0xC31C, 1}, caps(0x0001, 6), true},
        {"mcu", {12, 0x2F5A, 0x5C1B, 1}, caps(0xFF42), true},
        {"headset", {12, 0x2F5A, 0x5C1B, 1}, caps(0xFF00), true},
        {"headset usage 2", {12, 0x2F5A, 0x5C1B, 1}, caps(0xFF00, 2), true},
        {"dongle", {12, 0x2F5A, 0x5C1A, 1}, caps(0xFF00), true},
        {"headset bootloader", {12, 0x170D, 0x0101, 1}, caps(0xFF00), true},
        {"dongle bootloader", {12, 0x170D, 0x0100, 1}, caps(0xFF00), true},
        {"locked", {12, 0x2F5A, 0x5C1A, 1}, caps(0xFF00), false},
    };
    std::vector<std::unique_ptr<test::ScriptedCollection>> collections;
    for (const auto& d : devices) {
        collections.push_back(
            std::make_unique<test::ScriptedCollection>(backend, d.path, d.attributes, d.caps));
        collections.back()->probeable_ = d.probeable;
        backend.attach(*collections.back());
    }
    test::TraceCapture capture;
    std::vector<std::string> found;
    EnumerateHidDevices(backend, [&](const std::string& path) {
        for (const auto& role : kDeviceRoles) {
            if (IsDeviceRole(backend, role.role, path)) {
                found.push_back(path);
            }
        }
    });
    const std::vector<std::string> expected = {"mcu", "headset", "dongle", "headset bootloader",
                                               "dongle bootloader"};
    EXPECT_EQ(found, expected);
    // Only the path that cannot be probed is traced, once per role test that reached it.
    EXPECT_EQ(capture.messages(),
              std::vector<std::string>(5, "Failed to get HID info for locked\n"));

    EXPECT_TRUE(IsZeltorHeadsetMCU(backend, "mcu"));
    EXPECT_TRUE(IsZeltorHeadset(backend, "HEADSET"));
    EXPECT_TRUE(IsZeltorDongle(backend, "dongle"));
    EXPECT_TRUE(IsAvneraHeadsetBootloader(backend, "headset bootloader"));
    EXPECT_TRUE(IsAvneraDongleBootloader(backend, "dongle bootloader"));
    EXPECT_FALSE(IsZeltorHeadset(backend, "mcu"));
}

TEST(DiscoveryTest, NoDevicesMeansNoArrivals) {
    EventClock scheduler;
    test::PostedWork work;
    SimHidBackend backend(scheduler, work.poster());
    int arrivals = 0;
    EnumerateHidDevices(backend, [&](const std::string&) { ++arrivals; });
    EXPECT_EQ(arrivals, 0);
}

}  // namespace
}  // namespace zeltor
