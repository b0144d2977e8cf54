#include <gtest/gtest.h>

#include "host/companion.h"
#include "host/driver_guard.h"
#include "host/update_flag.h"
#include "sim/sim_host_services.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

using Hive = RegistryHive;

const std::string kProductKey =
    "Software\\Halvorix\\Korvendesk\\Firmware Update\\Zeltor Wireless v112.2.212";
const std::string kBanner = std::string(73, '*') + "\n";

class HostRulesTest : public ::testing::Test {
protected:
    EventClock scheduler_;
    SimHostServices host_{scheduler_};
    test::TraceCapture capture_;
};

TEST_F(HostRulesTest, ProductKeyCarriesNameAndVersion) {
    EXPECT_EQ(getProductRegistryKey(), kProductKey);
}

TEST_F(HostRulesTest, InProgressFlagIsSetReadAndRemovedLeavingTheKey) {
    EXPECT_FALSE(isUpdateInProgress(host_));
    setUpdateInProgress(host_, true);
    EXPECT_EQ(host_.value(Hive::CurrentUser, kProductKey, "InProgress")->asDword(), 1u);
    EXPECT_TRUE(isUpdateInProgress(host_));
    host_.setValue(Hive::CurrentUser, kProductKey, "QumbitPath", RegistryValue::text("C:\\q.exe"));
    setUpdateInProgress(host_, false);
    EXPECT_FALSE(isUpdateInProgress(host_));
    EXPECT_TRUE(host_.value(Hive::CurrentUser, kProductKey, "QumbitPath").has_value());
    // A flag left by another package version is not seen.
    host_.setValue(Hive::CurrentUser,
                   "Software\\Halvorix\\Korvendesk\\Firmware Update\\Zeltor Wireless v112.2.211",
                   "InProgress", RegistryValue::dword(1));
    EXPECT_FALSE(isUpdateInProgress(host_));
    // The machine's hive answers when the user's has nothing.
    host_.setValue(Hive::LocalMachine, kProductKey, "InProgress", RegistryValue::dword(1));
    EXPECT_TRUE(isUpdateInProgress(host_));
}

struct RegionCase {
    const char* name;
    std::optional<RegistryValue> value;
    bool tesmoray;
};

TEST_F(HostRulesTest, RegionIsTesmorayOnlyForThatExactText) {
    const RegionCase cases[] = {
        {"absent", std::nullopt, false},
        {"exact", RegistryValue::text("tesmoray"), true},
        {"other case", RegistryValue::text("TesMoray"), true},
        {"trailing blank", RegistryValue::text("tesmoray "), false},
        {"expandable text", RegistryValue{REG_EXPAND_SZ, {'t', 'e', 's', 'm', 'o', 'r', 'a', 'y'}},
         false},
        {"a number", RegistryValue::dword(1), false},
        {"too long", RegistryValue::text(std::string(600, 'x')), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimHostServices host(scheduler_);
        if (c.value) {
            host.setValue(Hive::LocalMachine, kRegionKey, "Region", *c.value);
        }
        EXPECT_EQ(detectTesmorayRegion(host), c.tesmoray);
    }
}

TEST_F(HostRulesTest, DriverGuardBacksUpSuspendsAndRestores) {
    host_.setValue(Hive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig",
                   RegistryValue::dword(1));
    setAutomaticDriverUpdates(host_, true);
    EXPECT_EQ(host_.value(Hive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig")->asDword(),
              0u);
    EXPECT_EQ(host_.value(Hive::CurrentUser, kProductKey, "SearchOrderConfig")->asDword(), 1u);
    setAutomaticDriverUpdates(host_, false);
    EXPECT_EQ(host_.value(Hive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig")->asDword(),
              1u);
    const std::vector<std::string> expected = {
        kBanner,
        "Attempting to set automatic driver updates (disable=1)\n",
        "SearchOrderConfig (current)=1\n",
        "Backing up 'SearchOrderConfig' to " + kProductKey + "\n",
        "Setting 'SearchOrderConfig' to 0 (Never install drivers from Windows update)\n",
        kBanner,
        kBanner,
        "Attempting to set automatic driver updates (disable=0)\n",
        "SearchOrderConfig (current)=0\n",
        "Restoring 'SearchOrderConfig' from " + kProductKey + "\n",
        "SearchOrderConfig (backed up)=1\n",
        "SearchOrderConfig (restored)=1\n",
        kBanner};
    EXPECT_EQ(capture_.messages(), expected);
}

TEST_F(HostRulesTest, DriverGuardWithoutAccessOrBackupChangesNothing) {
    host_.denyKey(Hive::LocalMachine, kDriverSearchingKey);
    setAutomaticDriverUpdates(host_, true);
    EXPECT_EQ(capture_.messages(),
              (std::vector<std::string>{
                  kBanner, "Attempting to set automatic driver updates (disable=1)\n", kBanner}));

    // A restore without a backup leaves the setting alone rather than writing 0.
    SimHostServices host(scheduler_);
    host.setValue(Hive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig",
                  RegistryValue::dword(2));
    test::TraceCapture capture;
    setAutomaticDriverUpdates(host, false);
    EXPECT_EQ(host.value(Hive::LocalMachine, kDriverSearchingKey, "SearchOrderConfig")->asDword(),
              2u);
    EXPECT_TRUE(capture.contains("SHRegGetUSValue value=" + kProductKey + " failed\n"));
}

TEST_F(HostRulesTest, DriverGuardAppliesBeforeWindows8Only) {
    host_.osMajor = 6;
    host_.osMinor = 1;
    EXPECT_TRUE(driverGuardApplies(host_));
    host_.osMinor = 2;
    EXPECT_FALSE(driverGuardApplies(host_));
}

TEST_F(HostRulesTest, CompanionIsStoppedRememberedAndRestartedUnelevated) {
    host_.processes = {{10, "explorer.exe", "C:\\Windows\\explorer.exe"},
                       {20, "QUMBIT.EXE", "C:\\Program Files\\Halvorix\\Qumbit.exe"},
                       {21, "Qumbit.exe", "C:\\Other\\Qumbit.exe"}};
    host_.namedEvents.insert(kCompanionShutdownEvent);
    const auto start = scheduler_.now();
    const CompanionState state = stopQumbit(host_, scheduler_);
    EXPECT_EQ(scheduler_.now() - start, std::chrono::milliseconds(1000));
    EXPECT_TRUE(state.stopped);
    EXPECT_EQ(state.path, "C:\\Program Files\\Halvorix\\Qumbit.exe");
    EXPECT_FALSE(host_.processes[1].running);
    EXPECT_FALSE(host_.processes[2].running);
    EXPECT_TRUE(host_.processes[0].running);
    EXPECT_EQ(capture_.messages(), (std::vector<std::string>{"Setting Shutdown Event...\n",
                                                             "Terminating Qumbit.exe...\n",
                                                             "Terminating Qumbit.exe...\n"}));
    EXPECT_TRUE(saveQumbitPath(host_, state.path));

    restartQumbit(host_, state.stopped, true);
    EXPECT_TRUE(host_.launches.empty());
    restartQumbit(host_, false, false);
    EXPECT_TRUE(host_.launches.empty());
    restartQumbit(host_, state.stopped, false);
    ASSERT_EQ(host_.launches.size(), 1u);
    EXPECT_EQ(host_.launches[0].file, "C:\\Program Files\\Halvorix\\Qumbit.exe");
    EXPECT_EQ(host_.launches[0].operation, "");
    EXPECT_EQ(host_.launches[0].show, 1);
}

TEST_F(HostRulesTest, CompanionNotRunningIsNeitherStoppedNorForgotten) {
    host_.setValue(Hive::CurrentUser, kProductKey, "QumbitPath",
                   RegistryValue::text("C:\\old\\Qumbit.exe"));
    const CompanionState state = stopQumbit(host_, scheduler_);
    EXPECT_FALSE(state.stopped);
    EXPECT_TRUE(state.path.empty());
    EXPECT_TRUE(saveQumbitPath(host_, state.path));
    EXPECT_EQ(host_.value(Hive::CurrentUser, kProductKey, "QumbitPath")->asText(),
              "C:\\old\\Qumbit.exe");
    EXPECT_EQ(capture_.messages(), std::vector<std::string>{"Failed to get first process!\n"});
}

TEST_F(HostRulesTest, ProcessLookupFailuresAreTraced) {
    host_.snapshotFails = true;
    EXPECT_EQ(findProcessPath(host_, kCompanionExe), "");
    EXPECT_FALSE(terminateProcesses(host_, kCompanionExe));
    host_.snapshotFails = false;
    host_.processes = {{5, "Qumbit.exe", "C:\\q\\Qumbit.exe", true, false}};
    EXPECT_TRUE(terminateProcesses(host_, kCompanionExe));
    EXPECT_EQ(capture_.messages(),
              (std::vector<std::string>{"Failed to get a snapshot\n", "Failed to get a snapshot\n",
                                        "Failed to get process handle!\n"}));
}

}  // namespace
}  // namespace zeltor
