// The device check: what it reports for the devices of a scenario, that the devices received
// nothing but version requests, and that the host is as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/device_check.h"
#include "app/device_check_report.h"
#include "app/exit_codes.h"
#include "app/read_only_host.h"
#include "controller/update_rig.h"
#include "host/companion.h"
#include "host/driver_guard.h"
#include "host/update_flag.h"

namespace zeltor::test {
namespace {

// The only reports a check may send, as the devices read them (a feature report padded with
// zeros to the collection's length, an output report likewise); written out here so that the
// check shares nothing with the tool's builders.
const ByteVector kChipVersionRequest{0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07,
                                     0x00, 0x05, 0x03, 0x05, 0x00, 0x00};
const ByteVector kMcuVersionRequest{0x06, 0x88, 0x07, 0x00};

bool isPadded(const ByteVector& bytes, const ByteVector& request) {
    return bytes.size() >= request.size() &&
           std::equal(request.begin(), request.end(), bytes.begin()) &&
           std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(request.size()), bytes.end(),
                       [](std::uint8_t b) { return b == 0; });
}

// How many version requests each role received; a failure for anything else a device received
// or any cable that went out.
std::map<DeviceRole, int> versionRequests(const SimBusRecord& record) {
    std::map<DeviceRole, int> counts;
    for (const SimBusEvent& event : record.events()) {
        if (event.kind == SimBusEvent::Kind::Unplugged) {
            ADD_FAILURE() << "a device left the bus";
            continue;
        }
        if (event.kind != SimBusEvent::Kind::Report) {
            continue;
        }
        const bool chip =
            event.role == DeviceRole::ZeltorHeadset || event.role == DeviceRole::ZeltorDongle;
        const bool mcu = event.role == DeviceRole::ZeltorHeadsetMCU;
        if ((chip && isPadded(event.bytes, kChipVersionRequest)) ||
            (mcu && isPadded(event.bytes, kMcuVersionRequest))) {
            ++counts[event.role];
        } else {
            ADD_FAILURE() << "role " << static_cast<int>(event.role) << " received "
                          << hexDump(event.bytes, 0, std::min<std::size_t>(event.bytes.size(), 8));
        }
    }
    return counts;
}

// A check in the world of `scenario`, on a host seen through the check's read-only view; the
// controller lives as long as the check, as in the program.
struct CheckRun {
    explicit CheckRun(const std::string& scenario) : rig(scenario) {}

    DeviceCheck run() {
        ReadOnlyHost readOnly(rig.host);
        CBrennicDFUDlg controller(rig.dialog, rig.bus, readOnly, rig.random, rig.options(),
                                  rig.scheduler);
        return runDeviceCheck(controller, rig.bus);
    }

    UpdateRig rig;
};

struct PartExpectation {
    PartMode mode;
    const char* version;  // "" when none came back
    bool current;
};

struct CheckCase {
    const char* name;
    const char* scenario;
    PartExpectation mcu, headset, dongle;
    int exitCode;
    std::map<DeviceRole, int> requests;
};

TEST(DeviceCheckTest, ReportsEachPartAndSendsOnlyVersionRequests) {
    using enum PartMode;
    const auto mcu = DeviceRole::ZeltorHeadsetMCU;
    const auto headset = DeviceRole::ZeltorHeadset;
    const auto dongle = DeviceRole::ZeltorDongle;
    const CheckCase cases[] = {
        {"all current in application mode",
         R"({"headset": {"version": "T1.01.02", "mcu": {"patch": 3}}, "dongle": {"version": "T1.02.00"}})",
         {Application, "3", true},
         {Application, "1.02", true},
         {Application, "2.00", true},
         kExitSuccess,
         {{mcu, 1}, {headset, 1}, {dongle, 1}}},
        {"the devices as they leave the factory: both chips at major 0",
         "{}",
         {Application, "12", true},
         {Application, "0.00", false},
         {Application, "0.00", false},
         kExitFailed,
         {{mcu, 1}, {headset, 1}, {dongle, 1}}},
        {"headset left in its bootloader: no MCU, nothing sent to the bootloader",
         R"({"headset": {"mode": "bootloader"}, "dongle": {"version": "T1.02.00"}})",
         {Absent, "", false},
         {Bootloader, "", false},
         {Application, "2.00", true},
         kExitFailed,
         {{dongle, 1}}},
        {"no devices",
         R"({"headset": {"plugged": false}, "dongle": {"plugged": false}})",
         {Absent, "", false},
         {Absent, "", false},
         {Absent, "", false},
         kExitCannotStart,
         {}},
        {"an MCU that does not answer is asked five times",
         R"({"headset": {"version": "T1.01.00", "mcu": {"answersVersion": false}}, "dongle": {"version": "T1.01.00"}})",
         {Application, "", false},
         {Application, "1.00", true},
         {Application, "1.00", true},
         kExitFailed,
         {{mcu, 5}, {headset, 1}, {dongle, 1}}},
        {"only the dongle plugged in",
         R"({"headset": {"plugged": false}, "dongle": {"version": "T1.03.00"}})",
         {Absent, "", false},
         {Absent, "", false},
         {Application, "3.00", true},
         kExitFailed,
         {{dongle, 1}}},
        {"an answer that reads no version, and a minor version alone",
         R"({"headset": {"version": "X1.04.00"}, "dongle": {"version": "T1.00.07"}})",
         {Application, "12", true},
         {Application, "", false},
         {Application, "0.07", false},
         kExitFailed,
         {{mcu, 1}, {headset, 1}, {dongle, 1}}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        CheckRun run(c.scenario);
        const DeviceCheck check = run.run();
        const PartExpectation* expected[] = {&c.mcu, &c.headset, &c.dongle};
        const CheckedPart order[] = {CheckedPart::MCU, CheckedPart::Headset, CheckedPart::Dongle};
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(checkedPartKey(order[i]));
            const PartCheck& part = check.parts[i];
            EXPECT_EQ(part.part, order[i]);
            EXPECT_EQ(part.mode, expected[i]->mode);
            EXPECT_EQ(partVersionText(part), expected[i]->version);
            EXPECT_EQ(part.current, expected[i]->current);
        }
        EXPECT_EQ(check.exitCode, c.exitCode);
        EXPECT_EQ(versionRequests(run.rig.world().record()), c.requests);
        EXPECT_TRUE(run.rig.world().deviceErrors().empty());
    }
}

TEST(DeviceCheckTest, TheVersionQueriesKeepTheirPausesAndAttempts) {
    // A chip's answer is read half a second after its request; a silent MCU costs five attempts
    // with a wait for each.
    CheckRun run(R"({"headset": {"mcu": {"answersVersion": false}}})");
    const auto start = run.rig.scheduler.now();
    run.run();
    EXPECT_GE(run.rig.scheduler.now() - start, 1000ms + 5 * 10ms);
    EXPECT_EQ(run.rig.countTraced("Brennic: failed to get MCU version (attempt=5)\n"), 1);
    EXPECT_TRUE(run.rig.traced("Brennic: failed to get version\n"));
    EXPECT_TRUE(
        run.rig.traced("Device check: mcu in application mode, version not read, needs "
                       "the update\n"));
}

TEST(DeviceCheckTest, EveryOutcomeLeavesATraceLine) {
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {R"({"headset": {"plugged": false}, "dongle": {"plugged": false}})",
         {"Device check: mcu not found\n", "Device check: headset not found\n",
          "Device check: dongle not found\n", "Device check: no device found, exit code 2\n"}},
        {R"({"headset": {"mode": "bootloader"}})",
         {"Device check: headset sits in its bootloader and needs the update\n",
          "Device check: dongle in application mode, version 0.00, needs the update\n",
          "Device check: an update is needed, exit code 1\n"}},
        {R"({"headset": {"version": "T1.01.02", "mcu": {"patch": 3}}, "dongle": {"version": "T1.02.00"}})",
         {"Device check: mcu in application mode, version 3, current\n",
          "Device check: up to date, exit code 0\n"}},
    };
    for (const auto& [scenario, lines] : cases) {
        SCOPED_TRACE(scenario);
        CheckRun run(scenario);
        run.run();
        for (const char* line : lines) {
            EXPECT_TRUE(run.rig.traced(line)) << line;
        }
    }
}

// A machine where a run would change everything it may: the companion running and listening,
// an interrupted update, and a platform old enough for the driver search order guard, with a
// backup from an earlier run.
TEST(DeviceCheckTest, LeavesTheHostAsItFoundIt) {
    CheckRun run("{}");
    SimHostServices& host = run.rig.host;
    host.processes = {{10, "explorer.exe", "C:\\Windows\\explorer.exe"},
                      {20, "Qumbit.exe", "C:\\Program Files\\Halvorix\\Qumbit.exe"}};
    host.namedEvents.insert(kCompanionShutdownEvent);
    host.osMajor = 6;
    host.osMinor = 1;
    const std::string productKey = getProductRegistryKey();
    host.setValue(RegistryHive::CurrentUser, productKey, "InProgress", RegistryValue::dword(1));
    host.setValue(RegistryHive::CurrentUser, productKey, "SearchOrderConfig",
                  RegistryValue::dword(0));
    host.setValue(RegistryHive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig",
                  RegistryValue::dword(1));

    const DeviceCheck check = run.run();

    EXPECT_EQ(check.exitCode, kExitFailed);
    EXPECT_TRUE(host.processes[1].running);
    EXPECT_TRUE(host.signalledEvents.empty());
    EXPECT_TRUE(host.launches.empty());
    EXPECT_FALSE(host.sleepHeldOff);
    const auto dword = [&host](RegistryHive hive, const std::string& key, const char* name) {
        const auto value = host.value(hive, key, name);
        return value ? value->asDword() : std::nullopt;
    };
    EXPECT_EQ(dword(RegistryHive::CurrentUser, productKey, "InProgress"), 1u);
    EXPECT_EQ(dword(RegistryHive::CurrentUser, productKey, "SearchOrderConfig"), 0u);
    EXPECT_EQ(dword(RegistryHive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig"), 1u);
    EXPECT_FALSE(host.value(RegistryHive::CurrentUser, productKey, "QumbitPath"));
    // The controller's end would have put the backup back: the check says it did not.
    EXPECT_TRUE(run.rig.traced(std::string("Device check: ") + kDriverSearchingKey +
                               "\\SearchOrderConfig is left unchanged\n"));
}

TEST(DeviceCheckTest, AFreshMachineGetsNoProductKey) {
    CheckRun run(
        R"({"headset": {"version": "T1.01.02", "mcu": {"patch": 3}}, "dongle": {"version": "T1.02.00"}})");
    EXPECT_EQ(run.run().exitCode, kExitSuccess);
    EXPECT_FALSE(run.rig.host.keyExists(RegistryHive::CurrentUser, getProductRegistryKey()));
}

}  // namespace
}  // namespace zeltor::test
