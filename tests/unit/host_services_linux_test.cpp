#include "platform/linux/host_services_linux.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "host/companion.h"
#include "host/driver_guard.h"
#include "host/update_flag.h"
#include "host/user_values.h"
#include "platform/linux/launch_command_linux.h"
#include "platform/linux/value_file_linux.h"
#include "platform/linux/xdg_folders_linux.h"
#include "sim/sim_host_services.h"
#include "support/log_capture.h"
#include "support/text_limit_cases.h"

extern char** environ;

namespace zeltor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kProductFolder = "Halvorix/Korvendesk/Firmware Update/Zeltor Wireless v112.2.212";
const fs::path kRegionFolder = "Halvorix/Korvendesk/ConfigMgr";

// Sets (or with nullptr unsets) an environment variable and puts the old value back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_.c_str(), old_->c_str(), 1) : unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

std::string contentOf(const fs::path& path) {
    const ByteVector bytes = test::readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

bool tracedAbout(const test::TraceCapture& capture, const std::string& part) {
    for (const auto& message : capture.messages()) {
        if (message.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

InvokingUser currentUser(const fs::path& home) {
    return {getuid(), getgid(), "tester", home.string(), false};
}

class LinuxHostTest : public ::testing::Test {
protected:
    LinuxHostOptions options(InvokingUser user) const {
        return {std::move(user), userRoot().string(), machineRoot().string(), "/proc"};
    }
    fs::path userRoot() const { return temp_.path() / "config"; }
    fs::path machineRoot() const { return temp_.path() / "etc"; }
    void writeMachineValue(const fs::path& key, const std::string& name,
                           const std::string& content) const {
        fs::create_directories(machineRoot() / key);
        test::writeFile(machineRoot() / key / name, content);
    }
    std::unique_ptr<RegistryKey> productKey(RegistryAccess access = {true, true, false}) {
        return host_.openKey(RegistryHive::CurrentUser, getProductRegistryKey(), access);
    }

    test::TempFolder temp_;
    test::TraceCapture capture_;
    LinuxHostServices host_{options(currentUser(temp_.path()))};
};

TEST_F(LinuxHostTest, UpdateFlagRoundTripsThroughTheCoreRules) {
    EXPECT_FALSE(isUpdateInProgress(host_));
    setUpdateInProgress(host_, true);
    const fs::path flag = userRoot() / kProductFolder / "InProgress";
    EXPECT_EQ(contentOf(flag), "dword 1\n");
    EXPECT_EQ(fs::status(flag).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(userRoot() / "Halvorix").permissions(), fs::perms::owner_all);
    EXPECT_TRUE(isUpdateInProgress(host_));

    setUpdateInProgress(host_, false);
    EXPECT_FALSE(fs::exists(flag));
    EXPECT_TRUE(fs::is_directory(flag.parent_path()));
    EXPECT_FALSE(isUpdateInProgress(host_));

    // The machine's values answer when the user has none, as the registry's do.
    writeMachineValue(kProductFolder, "InProgress", "dword 1\n");
    EXPECT_TRUE(isUpdateInProgress(host_));
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(LinuxHostTest, TextOfAnyShapeRoundTripsOnOneLine) {
    const std::string texts[] = {
        "",
        "/opt/halvorix/Qumbit.exe",
        "C:\\Program Files\\Halvorix\\Qumbit.exe",
        "two\nlines\n",
        "\nleading line end",
        "a literal \\n and a trailing backslash\\",
        "carriage\r\nreturn\r",
        "  blanks\tand tabs  ",
        "dword 1",
        "Zeltor \xC3\xBC\xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC",
    };
    auto key = productKey();
    ASSERT_TRUE(key);
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text(text)));
        const std::string file = contentOf(userRoot() / kProductFolder / "QumbitPath");
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 1);
        const auto value = key->query("QumbitPath", 520);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, REG_SZ);
        EXPECT_EQ(value->asText(), text);
    }
    ASSERT_TRUE(key->set("Folder", {REG_EXPAND_SZ, {'$', 'H', 'O', 'M', 'E'}}));
    EXPECT_EQ(key->query("Folder", 520)->type, REG_EXPAND_SZ);
    // The form an administrator reads.
    ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text("C:\\q.exe")));
    EXPECT_EQ(contentOf(userRoot() / kProductFolder / "QumbitPath"), "sz C:\\\\q.exe\n");
}

// 520 bytes mean 259 characters and a terminator on Windows; the same on every other backend,
// whatever bytes the text takes there.
TEST_F(LinuxHostTest, TextValuesAreMeasuredInUtf16UnitsOnEveryBackend) {
    EventClock scheduler;
    SimHostServices sim(scheduler);
    for (const auto& c : test::textLimitCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(registryValueBytes(RegistryValue::text(c.text)) <= 520, c.fits);
        for (HostServices* host : std::initializer_list<HostServices*>{&host_, &sim}) {
            auto key = host->openKey(RegistryHive::CurrentUser, getProductRegistryKey(),
                                     {true, true, false});
            ASSERT_TRUE(key);
            ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text(c.text)));
            const auto value = key->query("QumbitPath", 520);
            ASSERT_EQ(value.has_value(), c.fits) << (host == &sim ? "simulated" : "Linux");
            if (value) {
                EXPECT_EQ(value->asText(), c.text);
            }
        }
    }
}

TEST_F(LinuxHostTest, AWriteReplacesTheValueWholeAndLeavesNoTemporaryFile) {
    auto key = productKey();
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text(std::string(400, 'a'))));
    ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text("b")));
    EXPECT_EQ(contentOf(userRoot() / kProductFolder / "QumbitPath"), "sz b\n");
    EXPECT_EQ(namesIn(userRoot() / kProductFolder), std::vector<std::string>{"QumbitPath"});

    // A value that cannot be put in place leaves nothing behind either.
    fs::create_directories(userRoot() / kProductFolder / "InProgress" / "in the way");
    EXPECT_FALSE(key->set("InProgress", RegistryValue::dword(1)));
    EXPECT_TRUE(tracedAbout(capture_, "InProgress: renaming failed"));
    EXPECT_EQ(namesIn(userRoot() / kProductFolder).size(), 2u);
}

struct FileCase {
    const char* content;
    bool plainTextAccepted;
    std::optional<RegistryValue> value;
};

TEST(ValueFileTest, TypedFormsAndHandWrittenText) {
    using V = RegistryValue;
    const FileCase cases[] = {
        {"dword 7\n", false, V::dword(7)},
        {"dword 4294967295", false, V::dword(0xFFFFFFFF)},
        {"dword 7\r\n", false, V::dword(7)},
        {"sz\n", false, V::text("")},
        {"sz a\\\\b\\nc\\r\n", false, V::text("a\\b\nc\r")},
        {"dword\n", false, std::nullopt},
        {"dword 12x\n", false, std::nullopt},
        {"dword -1\n", false, std::nullopt},
        {"dword 4294967296\n", false, std::nullopt},
        {"dword  7\n", false, std::nullopt},
        {"sz unknown \\q escape\n", false, std::nullopt},
        {"sz ends in a backslash\\\n", false, std::nullopt},
        {"sz two\nlines\n", false, std::nullopt},
        {"qword 1\n", false, std::nullopt},
        {"", false, std::nullopt},
        {"tesmoray\n", false, std::nullopt},
        // By hand, the text alone will do; a known type still has to be written right.
        {"tesmoray\n", true, V::text("tesmoray")},
        {"tesmoray\r\n\n", true, V::text("tesmoray")},
        {"two\nlines\n", true, V::text("two\nlines")},
        {"", true, V::text("")},
        {"dword x\n", true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const auto value = decodeValueFile(c.content, c.plainTextAccepted);
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (value) {
            EXPECT_EQ(value->type, c.value->type);
            EXPECT_EQ(value->data, c.value->data);
        }
    }
    EXPECT_FALSE(decodeValueFile(std::string("sz a\0b\n", 7), true));
    EXPECT_FALSE(encodeValueFile({3, {1, 2}}));
}

TEST_F(LinuxHostTest, GarbledOrUnreadableValuesReadAsMissingAndAreTraced) {
    auto key = productKey();
    ASSERT_TRUE(key);
    const fs::path folder = userRoot() / kProductFolder;
    test::writeFile(folder / "Garbled", "dword many\n");
    test::writeFile(folder / "HandWritten", "tesmoray\n");
    test::writeFile(folder / "Huge", "sz " + std::string(2000, 'x') + "\n");
    test::writeFile(folder / "Long", "sz " + std::string(600, 'x') + "\n");
    fs::create_directories(folder / "Folder");
    for (const char* name : {"Garbled", "HandWritten", "Huge", "Long", "Folder"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(key->query(name, 520));
        EXPECT_TRUE(tracedAbout(capture_, (folder / name).string()));
    }
}

TEST_F(LinuxHostTest, KeysAreFoldersThatOnlyCreateMakes) {
    const std::string key = "Software\\Halvorix\\Other";
    EXPECT_FALSE(host_.openKey(RegistryHive::CurrentUser, key, {true, false, false}));
    EXPECT_FALSE(fs::exists(userRoot()));
    EXPECT_TRUE(capture_.messages().empty());

    EXPECT_TRUE(host_.openKey(RegistryHive::CurrentUser, key, {true, true, false}));
    EXPECT_TRUE(fs::is_directory(userRoot() / "Halvorix" / "Other"));
    // The registry's root name is read in any case; the names below it keep theirs.
    EXPECT_TRUE(host_.openKey(RegistryHive::CurrentUser, "SOFTWARE\\Halvorix\\Other", {}));
    EXPECT_FALSE(host_.openKey(RegistryHive::CurrentUser, "Software\\HALVORIX\\Other", {}));

    for (const char* bad : {"Software\\..\\..\\outside", "Software\\a/b"}) {
        EXPECT_FALSE(host_.openKey(RegistryHive::CurrentUser, bad, {true, true, false}));
        EXPECT_TRUE(capture_.contains(std::string("Not a usable key name: ") + bad + "\n"));
    }
}

TEST_F(LinuxHostTest, ValueNamesAreCaseSensitiveAndReadOnlyKeysRefuseChanges) {
    ASSERT_TRUE(productKey()->set("InProgress", RegistryValue::dword(1)));
    auto reading = productKey({});
    ASSERT_TRUE(reading);
    EXPECT_TRUE(reading->query("InProgress", 4));
    EXPECT_FALSE(reading->query("inprogress", 4));
    EXPECT_TRUE(capture_.messages().empty());

    EXPECT_FALSE(reading->set("InProgress", RegistryValue::dword(0)));
    EXPECT_FALSE(reading->remove("InProgress"));
    EXPECT_EQ(capture_.messages().size(), 2u);
    EXPECT_EQ(reading->query("InProgress", 4)->asDword(), 1u);

    auto writing = productKey();
    EXPECT_FALSE(writing->set("../escape", RegistryValue::dword(1)));
    EXPECT_FALSE(writing->set("Binary", {3, {1}}));
    EXPECT_EQ(capture_.messages().size(), 4u);
    EXPECT_TRUE(writing->remove("InProgress"));
    EXPECT_FALSE(writing->remove("InProgress"));
    EXPECT_EQ(capture_.messages().size(), 4u);
}

struct RegionCase {
    const char* name;
    std::optional<std::string> content;  // nothing: no file
    bool tesmoray;
};

TEST_F(LinuxHostTest, MachineRegionIsReadTypedOrByHandAndNeverWritten) {
    const RegionCase cases[] = {
        {"typed", "sz tesmoray\n", true},
        {"by hand", "tesmoray\n", true},
        {"by hand without a line end", "TesMoray", true},
        {"other region", "sz europe\n", false},
        {"expandable", "expand_sz tesmoray\n", false},
        {"number", "dword 1\n", false},
        {"too long", std::string(600, 'x'), false},
        {"absent", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(machineRoot());
        if (c.content) {
            writeMachineValue(kRegionFolder, "Region", *c.content);
        }
        EXPECT_EQ(detectTesmorayRegion(host_), c.tesmoray);
    }

    writeMachineValue(kRegionFolder, "Region", "tesmoray\n");
    for (const RegistryAccess access : {RegistryAccess{true, false, false}, {false, true, true}}) {
        EXPECT_FALSE(host_.openKey(RegistryHive::LocalMachine, kRegionKey, access));
    }
    EXPECT_TRUE(
        tracedAbout(capture_, "the values under " + machineRoot().string() + " are read-only"));
    // The driver guard, were it ever to run here, would change nothing.
    setAutomaticDriverUpdates(host_, true);
    EXPECT_FALSE(fs::exists(userRoot()));
    EXPECT_EQ(contentOf(machineRoot() / kRegionFolder / "Region"), "tesmoray\n");
}

TEST_F(LinuxHostTest, WindowsOnlyQuestionsHaveFixedAnswers) {
    EXPECT_FALSE(driverGuardApplies(host_));
    EXPECT_FALSE(host_.signalNamedEvent(kCompanionShutdownEvent));
    const std::uint32_t first = host_.tickCount();
    EXPECT_LE(host_.tickCount() - first, 1000u);
}

TEST_F(LinuxHostTest, WithoutALoginManagerSleepIsNotHeldOffAndTheLogSaysWhy) {
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS",
                  ("unix:path=" + (temp_.path() / "no-bus").string()).c_str());
    host_.holdOffSleep(true);
    EXPECT_TRUE(std::any_of(
        capture_.messages().begin(), capture_.messages().end(),
        [](const std::string& line) { return line.starts_with("  Sleep cannot be held off: "); }));
    host_.holdOffSleep(false);  // nothing to release, and nothing breaks
}

TEST_F(LinuxHostTest, SnapshotFindsThisProcessAndItsImage) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const auto snapshot = host_.processSnapshot();
    ASSERT_TRUE(snapshot);
    const auto pid = static_cast<std::uint32_t>(getpid());
    const auto it = std::find_if(snapshot->begin(), snapshot->end(),
                                 [pid](const ProcessEntry& e) { return e.pid == pid; });
    ASSERT_NE(it, snapshot->end());
    EXPECT_EQ(it->exeName, self.filename().string());

    auto process = host_.openProcess(pid, ProcessRight::QueryLimitedInformation);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->imagePath(), self.string());
    // 0 would signal the whole process group.
    EXPECT_FALSE(host_.openProcess(0, ProcessRight::Terminate));
}

TEST_F(LinuxHostTest, TerminateAsksTheProcessToStop) {
    pid_t child = 0;
    char* const argv[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
    ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
    auto process = host_.openProcess(static_cast<std::uint32_t>(child), ProcessRight::Terminate);
    ASSERT_TRUE(process);
    EXPECT_TRUE(process->terminate(0));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(process->terminate(0));
    EXPECT_EQ(capture_.messages().size(), 1u);
}

// A proc tree of our own making: pids above the kernel's limit, so no real process is touched.
class FakeProcTest : public LinuxHostTest {
protected:
    void SetUp() override {
        fs::create_directories(proc() / "4200001");
        test::writeFile(proc() / "4200001" / "comm", "Qumbit.exe\n");
        fs::create_directories(proc() / "4200002");
        fs::create_symlink("/opt/halvorix/Qumbit.exe (deleted)", proc() / "4200002" / "exe");
        fs::create_directories(proc() / "4200003");
        fs::create_symlink("/usr/bin/bash", proc() / "4200003" / "exe");
        fs::create_directories(proc() / "acpi");
        fs::create_directory_symlink("4200003", proc() / "self");
    }
    fs::path proc() const { return temp_.path() / "proc"; }
    LinuxHostServices fakeHost() {
        auto o = options(currentUser(temp_.path()));
        o.procRoot = proc().string();
        o.clock = &capture_.clock();
        return LinuxHostServices(o);
    }
};

TEST_F(FakeProcTest, ProcessesAreNamedByExecutableOrCommandAndFoundByTheCore) {
    auto host = fakeHost();
    const auto snapshot = host.processSnapshot();
    ASSERT_TRUE(snapshot);
    ASSERT_EQ(snapshot->size(), 3u);
    EXPECT_EQ((*snapshot)[0].exeName, "Qumbit.exe");
    EXPECT_EQ((*snapshot)[1].exeName, "Qumbit.exe");
    EXPECT_EQ((*snapshot)[2].exeName, "bash");

    // The first has no readable executable, so the core moves on to the second.
    EXPECT_EQ(findProcessPath(host, kCompanionExe), "/opt/halvorix/Qumbit.exe");
    EXPECT_TRUE(tracedAbout(capture_, "executable of process 4200001"));

    fs::remove_all(proc());
    EXPECT_EQ(findProcessPath(host, kCompanionExe), "");
    EXPECT_TRUE(capture_.contains("Failed to get a snapshot\n"));
}

struct ExitCase {
    const char* name;
    const char* stat;  // nullptr: the process has gone
    std::chrono::milliseconds waited;
};

TEST_F(FakeProcTest, WaitingForExitEndsWhenTheProcessGoesOrTimeIsUp) {
    const ExitCase cases[] = {
        {"running", "4200003 (ba sh) S 1 1", 1000ms},
        {"zombie", "4200003 (ba) Z) Z 1 1", 0ms},
        {"gone", nullptr, 0ms},
    };
    auto host = fakeHost();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto process = host.openProcess(4200003, ProcessRight::QueryLimitedInformation);
        ASSERT_TRUE(process);
        if (c.stat != nullptr) {
            test::writeFile(proc() / "4200003" / "stat", c.stat);
        } else {
            fs::remove_all(proc() / "4200003");
        }
        const auto start = capture_.clock().now();
        process->waitForExit(1000);
        EXPECT_EQ(capture_.clock().now() - start, c.waited);
    }
}

// A launcher that writes down where and as whom it ran, and what it was given.
class LaunchTest : public LinuxHostTest {
protected:
    void SetUp() override {
        fs::create_directories(folder());
        fs::permissions(folder(), fs::perms::all);
        test::writeFile(script(),
                        "#!/bin/sh\n"
                        "{ pwd; id -u; printf '%s\\n' \"$HOME\" \"$@\"; } > \"$0.tmp\"\n"
                        "mv \"$0.tmp\" \"$0.out\"\n");
        fs::permissions(script(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
    }
    fs::path folder() const { return temp_.path() / "launch"; }
    fs::path script() const { return folder() / "launcher"; }

    // What the launcher wrote, once it has: a bounded wait for a process of its own.
    std::vector<std::string> record() const {
        const fs::path out = script().string() + ".out";
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!fs::exists(out) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        std::ifstream in(out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    ScopedEnv launcher_{"ZELTOR_LAUNCHER", script().c_str()};
};

TEST_F(LaunchTest, LauncherReceivesTheFileAndItsArgumentsInTheFolder) {
    host_.launchUnelevated("/opt/halvorix/Qumbit.exe", " --tray\t --quiet ", folder().string(), "",
                           1);
    const char* home = std::getenv("HOME");
    EXPECT_EQ(record(),
              (std::vector<std::string>{folder().string(), std::to_string(getuid()),
                                        home != nullptr ? home : "", "/opt/halvorix/Qumbit.exe",
                                        "--tray", "--quiet"}));
    // The middle child is reaped and the program is not ours: no zombie is left behind.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(LaunchTest, RootWorkingForAUserLaunchesAndWritesAsThatUser) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "needs root and a \"nobody\" account";
    }
    const InvokingUser user{nobody->pw_uid, nobody->pw_gid, "nobody", nobody->pw_dir, true};
    LinuxHostServices host(options(user));
    host.launchUnelevated("https://example.org/notes", "", folder().string(), "open", 1);
    EXPECT_EQ(record(), (std::vector<std::string>{folder().string(), std::to_string(nobody->pw_uid),
                                                  nobody->pw_dir, "https://example.org/notes"}));

    // The user's own configuration folder: what is made in it is theirs.
    fs::create_directories(userRoot());
    ASSERT_EQ(chown(userRoot().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    setUpdateInProgress(host, true);
    for (const fs::path& made :
         {userRoot() / "Halvorix", userRoot() / kProductFolder / "InProgress"}) {
        struct stat st {};
        ASSERT_EQ(stat(made.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, nobody->pw_uid);
        EXPECT_EQ(st.st_gid, nobody->pw_gid);
    }
    EXPECT_TRUE(capture_.messages().empty());

    // A link of theirs into a folder only root may write leads root nowhere.
    const fs::path rootOnly = temp_.path() / "root-only";
    fs::create_directories(rootOnly);
    fs::permissions(rootOnly, fs::perms::owner_all);
    fs::remove_all(userRoot() / "Halvorix");
    fs::create_directory_symlink(rootOnly, userRoot() / "Halvorix");
    setUpdateInProgress(host, true);
    EXPECT_TRUE(fs::is_empty(rootOnly));
    EXPECT_FALSE(capture_.messages().empty());
}

struct LaunchFailure {
    const char* name;
    const char* launcher;  // nullptr: none
    const char* directory;
    const char* traced;
};

TEST_F(LaunchTest, LaunchFailuresAreTracedNotFatal) {
    test::writeFile(folder() / "not-a-program", "text\n");
    const std::string notAProgram = (folder() / "not-a-program").string();
    const std::string launcher = script().string();
    const LaunchFailure cases[] = {
        {"no xdg-open", nullptr, "", "Cannot start xdg-open: not found on the PATH\n"},
        {"no such folder", launcher.c_str(), "/nonexistent/folder",
         "entering the folder failed: No such file or directory\n"},
        {"not a program", notAProgram.c_str(), "", "running it failed: Permission denied\n"},
    };
    ScopedEnv path("PATH", folder().c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv chosen("ZELTOR_LAUNCHER", c.launcher);
        host_.launchUnelevated("https://example.org/", "", c.directory, "", 1);
        ASSERT_FALSE(capture_.messages().empty());
        EXPECT_TRUE(capture_.messages().back().ends_with(c.traced)) << capture_.messages().back();
    }
    EXPECT_FALSE(fs::exists(script().string() + ".out"));
}

struct CommandCase {
    std::string file, arguments;
    std::vector<std::string> command;
};

TEST(LaunchCommandTest, LinksAndDocumentsGoToTheDesktopAndProgramsRunThemselves) {
    test::TempFolder temp;
    const std::string program = (temp.path() / "tool").string();
    const std::string document = (temp.path() / "notes.txt").string();
    test::writeFile(program, "#!/bin/sh\n");
    fs::permissions(program, fs::perms::owner_all);
    test::writeFile(document, "notes\n");
    ScopedEnv launcher("ZELTOR_LAUNCHER", nullptr);
    const CommandCase cases[] = {
        {"https://example.org/a b", "", {"xdg-open", "https://example.org/a b"}},
        {program, "-a  -b\t-c", {program, "-a", "-b", "-c"}},
        {document, "", {"xdg-open", document}},
        {temp.path().string(), "", {"xdg-open", temp.path().string()}},
        {"C:\\Program Files\\Qumbit.exe", "", {"xdg-open", "C:\\Program Files\\Qumbit.exe"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(launchCommand(c.file, c.arguments), c.command);
    }
    ScopedEnv own("ZELTOR_LAUNCHER", "/usr/lib/x/launch");
    EXPECT_EQ(launchCommand("https://example.org/", "a b"),
              (std::vector<std::string>{"/usr/lib/x/launch", "https://example.org/", "a", "b"}));
}

class InvokingUserTest : public ::testing::Test {
protected:
    const passwd* self_ = getpwuid(getuid());
    test::TempFolder home_;
    ScopedEnv sudoUid_{"SUDO_UID", nullptr};
    ScopedEnv sudoGid_{"SUDO_GID", nullptr};
    ScopedEnv pkexecUid_{"PKEXEC_UID", nullptr};
    ScopedEnv homeEnv_{"HOME", home_.path().c_str()};
    ScopedEnv configHome_{"XDG_CONFIG_HOME", nullptr};
    test::TraceCapture capture_;
};

TEST_F(InvokingUserTest, TheUserBehindSudoOrPkexecIsFoundOnlyByRoot) {
    ASSERT_NE(self_, nullptr);
    const std::string self = std::to_string(getuid());
    {
        ScopedEnv uid("SUDO_UID", self.c_str());
        ScopedEnv gid("SUDO_GID", std::to_string(getgid()).c_str());
        const InvokingUser user = invokingUserFor(0);
        EXPECT_TRUE(user.behindElevation);
        EXPECT_EQ(user.uid, getuid());
        EXPECT_EQ(user.gid, getgid());
        EXPECT_EQ(user.name, self_->pw_name);
        EXPECT_EQ(user.home, self_->pw_dir);
        // Anyone can set the variable; only root is taken to work for someone.
        EXPECT_FALSE(invokingUserFor(getuid() + 1).behindElevation);
    }
    {
        ScopedEnv uid("PKEXEC_UID", self.c_str());
        const InvokingUser user = invokingUserFor(0);
        EXPECT_TRUE(user.behindElevation);
        EXPECT_EQ(user.gid, self_->pw_gid);
    }
    EXPECT_TRUE(capture_.messages().empty());
    for (const char* wrong : {"12ab", "4000000000"}) {
        ScopedEnv uid("SUDO_UID", wrong);
        const InvokingUser user = invokingUserFor(0);
        EXPECT_FALSE(user.behindElevation);
        EXPECT_EQ(user.uid, getuid());
        EXPECT_EQ(user.home, home_.path().string());
        EXPECT_TRUE(tracedAbout(capture_, std::string("Ignoring SUDO_UID=") + wrong));
    }
}

TEST_F(InvokingUserTest, ConfigurationAndDocumentsFollowTheUser) {
    InvokingUser user = currentUser(home_.path());
    const fs::path other = home_.path() / "elsewhere";
    ScopedEnv configHome("XDG_CONFIG_HOME", other.c_str());
    EXPECT_EQ(configHomeFor(user), other.string());
    user.behindElevation = true;
    EXPECT_EQ(configHomeFor(user), (home_.path() / ".config").string());

    fs::create_directories(home_.path() / ".config");
    test::writeFile(home_.path() / ".config" / "user-dirs.dirs",
                    "XDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    EXPECT_EQ(documentsFolderFor(user), (home_.path() / "Papers").string());
    EXPECT_TRUE(fs::is_directory(home_.path() / "Papers"));

    // Without an injected root the user's values live in their configuration folder.
    user.behindElevation = false;
    ScopedEnv noConfigHome("XDG_CONFIG_HOME", "relative/is/ignored");
    LinuxHostServices host(LinuxHostOptions{user, "", "/nonexistent", "/proc"});
    setUpdateInProgress(host, true);
    EXPECT_TRUE(fs::exists(home_.path() / ".config" / kProductFolder / "InProgress"));
    EXPECT_EQ(host.documentsFolder(), (home_.path() / "Papers").string());
}

}  // namespace
}  // namespace zeltor
