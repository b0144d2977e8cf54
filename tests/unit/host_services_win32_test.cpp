#include "platform/win32/host_services_win32.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/virtual_clock.h"
#include "host/companion.h"
#include "host/driver_guard.h"
#include "host/update_flag.h"
#include "host/user_values.h"
#include "support/log_capture.h"
#include "support/text_limit_cases.h"

namespace zeltor {
namespace {

namespace fs = std::filesystem;

const std::wstring kProductKey =
    L"Software\\Halvorix\\Korvendesk\\Firmware Update\\Zeltor Wireless v112.2.212";
const std::wstring kRegionKey = L"Software\\Halvorix\\Korvendesk\\ConfigMgr";
const std::wstring kDriverSearchingKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSearching";
const std::string kBanner = std::string(73, '*') + "\n";

// ---- the registry as the tests see it, straight through the platform's own calls ----

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

std::optional<RawValue> rawValue(HKEY hive, const std::wstring& key, const std::wstring& name,
                                 REGSAM view = 0) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RawValue value;
    value.bytes.resize(4096);
    DWORD size = static_cast<DWORD>(value.bytes.size());
    const LSTATUS result =
        RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.bytes.resize(size);
    return value;
}

void setRawValue(HKEY hive, const std::wstring& key, const std::wstring& name, DWORD type,
                 const std::vector<BYTE>& bytes, REGSAM view = 0) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                              &created, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(created, name.c_str(), 0, type, bytes.data(),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(created);
}

void deleteRawValue(HKEY hive, const std::wstring& key, const std::wstring& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
        RegDeleteValueW(opened, name.c_str());
        RegCloseKey(opened);
    }
}

bool keyExists(HKEY hive, const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

void deleteTree(HKEY hive, const std::wstring& key, REGSAM view = 0) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_ALL_ACCESS | view, &opened) == ERROR_SUCCESS) {
        RegDeleteTreeW(opened, nullptr);
        RegCloseKey(opened);
        RegDeleteKeyExW(hive, key.c_str(), view, 0);
    }
}

// The stored form of a text: UTF-16LE units and the terminator.
std::vector<BYTE> storedText(std::u16string_view text) {
    std::vector<BYTE> bytes((text.size() + 1) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return bytes;
}

std::wstring wide(const std::string& text) {
    const std::u16string units = utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

std::string narrow(const std::wstring& text) {
    return utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

bool sameWindowsPath(const std::string& a, const std::string& b) {
    return CompareStringOrdinal(wide(a).c_str(), -1, wide(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool startsWith(const test::TraceCapture& capture, const std::string& start) {
    for (const auto& message : capture.messages()) {
        if (message.starts_with(start)) {
            return true;
        }
    }
    return false;
}

// ---- processes ----

fs::path besideThisProgram(const wchar_t* name) {
    WCHAR self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(std::wstring(self, length)).parent_path() / name;
}

struct Listed {
    DWORD pid = 0;
    DWORD parent = 0;
    std::wstring exeName;
};

std::vector<Listed> listedProcesses() {
    std::vector<Listed> listed;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return listed;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        listed.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return listed;
}

std::optional<Listed> listedNamed(const std::wstring& exeName) {
    for (const auto& process : listedProcesses()) {
        if (CompareStringOrdinal(process.exeName.c_str(), -1, exeName.c_str(), -1, TRUE) ==
            CSTR_EQUAL) {
            return process;
        }
    }
    return std::nullopt;
}

// Processes a test started or found, ended when the test ends whatever became of it.
class Processes {
public:
    Processes() = default;
    Processes(const Processes&) = delete;
    Processes& operator=(const Processes&) = delete;
    ~Processes() {
        for (HANDLE process : handles_) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }

    HANDLE start(const fs::path& program, DWORD& pid) {
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                            0, nullptr, nullptr, &startup, &started)) {
            return nullptr;
        }
        CloseHandle(started.hThread);
        handles_.push_back(started.hProcess);
        pid = started.dwProcessId;
        return started.hProcess;
    }

    HANDLE adopt(DWORD pid) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (process != nullptr) {
            handles_.push_back(process);
        }
        return process;
    }

private:
    std::vector<HANDLE> handles_;
};

bool hasEnded(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// For what another process does in its own time: the desktop shell starting a program. Bounded
// generously; a passing test does not wait for the bound.
template <typename Done>
bool eventually(Done done) {
    for (int i = 0; i < 600; ++i) {
        if (done()) {
            return true;
        }
        Sleep(50);
    }
    return done();
}

// ---- the host's own registry keys ----

class Win32RegistryTest : public ::testing::Test {
protected:
    Win32RegistryTest() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        key_ = std::string("Software\\ZeltorTests\\") + test->name() + "-" +
               std::to_string(GetCurrentProcessId());
        deleteTree(HKEY_CURRENT_USER, wideKey());
    }
    ~Win32RegistryTest() override {
        deleteTree(HKEY_CURRENT_USER, wideKey());
        // Only when empty: another test program may be using its own key beside this one.
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZeltorTests");
    }

    std::wstring wideKey() const { return wide(key_); }
    std::unique_ptr<RegistryKey> writable() {
        return host_.openKey(RegistryHive::CurrentUser, key_, {true, true, false});
    }

    std::string key_;
    Win32HostServices host_;
    test::TraceCapture capture_;
};

TEST_F(Win32RegistryTest, TextsAndNumbersAreStoredAsTheRegistryKeepsThem) {
    auto key = writable();
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text("C:\\q.exe")));
    const auto path = rawValue(HKEY_CURRENT_USER, wideKey(), L"QumbitPath");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path->bytes, (std::vector<BYTE>{'C', 0, ':', 0, '\\', 0, 'q', 0, '.', 0, 'e', 0, 'x',
                                              0, 'e', 0, 0, 0}));

    ASSERT_TRUE(key->set("InProgress", RegistryValue::dword(1)));
    const auto flag = rawValue(HKEY_CURRENT_USER, wideKey(), L"InProgress");
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(flag->bytes, (std::vector<BYTE>{1, 0, 0, 0}));

    // UTF-8 inside, UTF-16 in the registry.
    const std::string text =
        "Zeltor \xC3\xBC\xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xA7";
    ASSERT_TRUE(key->set("Name", RegistryValue::text(text)));
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, wideKey(), L"Name")->bytes,
              storedText(u"Zeltor \u00FC\u2713 \u65E5\u672C \U0001F3A7"));
    EXPECT_EQ(key->query("Name", 520)->asText(), text);

    ASSERT_TRUE(key->set("Folder", {REG_EXPAND_SZ, {'%', 'T', 'E', 'M', 'P', '%'}}));
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, wideKey(), L"Folder")->type,
              static_cast<DWORD>(REG_EXPAND_SZ));
    const auto folder = key->query("Folder", 520);
    EXPECT_EQ(folder->type, static_cast<std::uint32_t>(REG_EXPAND_SZ));
    EXPECT_EQ(folder->asText(), "%TEMP%");

    ASSERT_TRUE(key->set("Binary", {REG_BINARY, {0, 0xFF, 7}}));
    EXPECT_EQ(key->query("Binary", 3)->data, (ByteVector{0, 0xFF, 7}));
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(Win32RegistryTest, TextsAreMeasuredInUtf16Units) {
    auto key = writable();
    ASSERT_TRUE(key);
    for (const auto& c : test::textLimitCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(key->set("QumbitPath", RegistryValue::text(c.text)));
        // The same measure the other backends apply.
        EXPECT_EQ(registryValueBytes(RegistryValue::text(c.text)) <= 520, c.fits);
        const auto value = key->query("QumbitPath", 520);
        ASSERT_EQ(value.has_value(), c.fits);
        if (value) {
            EXPECT_EQ(value->asText(), c.text);
        } else {
            EXPECT_TRUE(capture_.contains("Cannot read value QumbitPath in HKCU\\" + key_ +
                                          ": more than 520 bytes\n"));
        }
    }
}

struct ForeignCase {
    const char* name;
    DWORD type;
    std::vector<BYTE> stored;
    RegistryValue read;
};

// Other programs write what the registry lets them: texts without their terminator, half a
// character at the end, numbers of the wrong size.
TEST_F(Win32RegistryTest, ValuesWrittenByOthersReadSafely) {
    const ForeignCase cases[] = {
        {"text without a terminator", REG_SZ, {'a', 0, 'b', 0}, RegistryValue::text("ab")},
        {"text ending in half a unit", REG_SZ, {'a', 0, 'b', 0, 'c'}, RegistryValue::text("ab")},
        {"text with an inner terminator",
         REG_SZ,
         {'a', 0, 0, 0, 'b', 0, 0, 0},
         RegistryValue::text("a")},
        {"empty text", REG_SZ, {}, RegistryValue::text("")},
        {"lone surrogate", REG_SZ, {0x3C, 0xD8, 0, 0}, RegistryValue::text("\xEF\xBF\xBD")},
        {"two-byte number", REG_DWORD, {1, 0}, {REG_DWORD, {1, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setRawValue(HKEY_CURRENT_USER, wideKey(), L"Value", c.type, c.stored);
        auto key = host_.openKey(RegistryHive::CurrentUser, key_, {});
        ASSERT_TRUE(key);
        const auto value = key->query("Value", 520);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, c.read.type);
        EXPECT_EQ(value->data, c.read.data);
    }
    EXPECT_FALSE(RegistryValue({REG_DWORD, {1, 0}}).asDword());
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesAreAnswersAndRefusalsAreTraced) {
    EXPECT_FALSE(host_.openKey(RegistryHive::CurrentUser, key_, {}));
    EXPECT_FALSE(host_.openKey(RegistryHive::CurrentUser, key_, {true, false, false}));
    EXPECT_TRUE(capture_.messages().empty());

    // Created with every key on the way.
    ASSERT_TRUE(host_.openKey(RegistryHive::CurrentUser, key_ + "\\a\\b", {true, true, false}));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, wideKey() + L"\\a\\b"));
    auto writing = writable();
    ASSERT_TRUE(writing);
    EXPECT_FALSE(writing->query("InProgress", 4));
    EXPECT_FALSE(writing->remove("InProgress"));
    EXPECT_TRUE(capture_.messages().empty());

    ASSERT_TRUE(writing->set("InProgress", RegistryValue::dword(1)));
    auto reading = host_.openKey(RegistryHive::CurrentUser, key_, {});
    ASSERT_TRUE(reading);
    EXPECT_FALSE(reading->set("InProgress", RegistryValue::dword(0)));
    EXPECT_FALSE(reading->remove("InProgress"));
    EXPECT_TRUE(startsWith(capture_, "Cannot write value InProgress in HKCU\\" + key_ + ": "));
    EXPECT_TRUE(startsWith(capture_, "Cannot delete value InProgress in HKCU\\" + key_ + ": "));
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, wideKey(), L"InProgress")->bytes,
              (std::vector<BYTE>{1, 0, 0, 0}));

    EXPECT_TRUE(writing->remove("InProgress"));
    EXPECT_FALSE(rawValue(HKEY_CURRENT_USER, wideKey(), L"InProgress"));
}

// ---- state shared by every process in the prefix: the product's keys, the region, the driver
// setting, the companion's name and event. One test at a time holds it, whichever test program
// runs it, and each leaves it as it found it. ----

class SharedHostStateTest : public ::testing::Test {
protected:
    SharedHostStateTest() : lock_(CreateMutexW(nullptr, FALSE, L"ZeltorTests.SharedHostState")) {
        WaitForSingleObject(lock_, INFINITE);
        clearProductKeys();
    }
    ~SharedHostStateTest() override {
        clearProductKeys();
        ReleaseMutex(lock_);
        CloseHandle(lock_);
    }

    // These keys belong to the product; in the tests' prefix nothing else writes them.
    static void clearProductKeys() {
        deleteTree(HKEY_CURRENT_USER, L"Software\\Halvorix");
        deleteTree(HKEY_LOCAL_MACHINE, L"Software\\Halvorix", KEY_WOW64_64KEY);
        deleteTree(HKEY_LOCAL_MACHINE, L"Software\\Halvorix", KEY_WOW64_32KEY);
    }

    HANDLE lock_;
    Win32HostServices host_;
    test::TraceCapture capture_;
    test::TempFolder temp_;
    Processes processes_;  // after the folder: they end before their programs are deleted
};

TEST_F(SharedHostStateTest, UpdateFlagAndCompanionPathLiveUnderTheProductKey) {
    EXPECT_FALSE(isUpdateInProgress(host_));
    // From nothing: the key is made before the first value goes in.
    setUpdateInProgress(host_, true);
    const auto flag = rawValue(HKEY_CURRENT_USER, kProductKey, L"InProgress");
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(flag->bytes, (std::vector<BYTE>{1, 0, 0, 0}));
    EXPECT_TRUE(isUpdateInProgress(host_));

    EXPECT_TRUE(saveQumbitPath(host_, "C:\\Program Files\\Halvorix\\Qumbit.exe"));
    const auto path = rawValue(HKEY_CURRENT_USER, kProductKey, L"QumbitPath");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path->bytes, storedText(u"C:\\Program Files\\Halvorix\\Qumbit.exe"));
    EXPECT_EQ(path->bytes.size(), 2 * 36 + 2u);

    setUpdateInProgress(host_, false);
    EXPECT_FALSE(rawValue(HKEY_CURRENT_USER, kProductKey, L"InProgress"));
    EXPECT_TRUE(rawValue(HKEY_CURRENT_USER, kProductKey, L"QumbitPath"));
    EXPECT_FALSE(isUpdateInProgress(host_));
    // The machine's hive answers when the user's has nothing.
    setRawValue(HKEY_LOCAL_MACHINE, kProductKey, L"InProgress", REG_DWORD, {1, 0, 0, 0});
    EXPECT_TRUE(isUpdateInProgress(host_));
    EXPECT_TRUE(capture_.messages().empty());
}

struct RegionCase {
    const char* name;
    DWORD type;
    std::vector<BYTE> stored;
    REGSAM view;
    bool tesmoray;
};

TEST_F(SharedHostStateTest, RegionIsReadFromTheMachinesTextInThe64BitView) {
    const RegionCase cases[] = {
        {"exact", REG_SZ, storedText(u"tesmoray"), KEY_WOW64_64KEY, true},
        {"other case", REG_SZ, storedText(u"TesMoray"), KEY_WOW64_64KEY, true},
        {"trailing blank", REG_SZ, storedText(u"tesmoray "), KEY_WOW64_64KEY, false},
        {"expandable text", REG_EXPAND_SZ, storedText(u"tesmoray"), KEY_WOW64_64KEY, false},
        {"a number", REG_DWORD, {1, 0, 0, 0}, KEY_WOW64_64KEY, false},
        {"too long", REG_SZ, storedText(std::u16string(300, u'x')), KEY_WOW64_64KEY, false},
        {"only in the 32-bit view", REG_SZ, storedText(u"tesmoray"), KEY_WOW64_32KEY, false},
    };
    EXPECT_FALSE(detectTesmorayRegion(host_));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clearProductKeys();
        setRawValue(HKEY_LOCAL_MACHINE, kRegionKey, L"Region", c.type, c.stored, c.view);
        EXPECT_EQ(detectTesmorayRegion(host_), c.tesmoray);
    }
}

// The guard's registry work, whatever the prefix's version: suspend and restore on the real keys.
TEST_F(SharedHostStateTest, DriverGuardBacksUpSuspendsAndRestoresTheMachineSetting) {
    const bool keyWasThere = keyExists(HKEY_LOCAL_MACHINE, kDriverSearchingKey);
    const auto before = rawValue(HKEY_LOCAL_MACHINE, kDriverSearchingKey, L"SearchOrderConfig");
    setRawValue(HKEY_LOCAL_MACHINE, kDriverSearchingKey, L"SearchOrderConfig", REG_DWORD,
                {1, 0, 0, 0});

    setAutomaticDriverUpdates(host_, true);
    const auto suspended = rawValue(HKEY_LOCAL_MACHINE, kDriverSearchingKey, L"SearchOrderConfig");
    const auto backup = rawValue(HKEY_CURRENT_USER, kProductKey, L"SearchOrderConfig");
    setAutomaticDriverUpdates(host_, false);
    const auto restored = rawValue(HKEY_LOCAL_MACHINE, kDriverSearchingKey, L"SearchOrderConfig");

    if (before) {
        setRawValue(HKEY_LOCAL_MACHINE, kDriverSearchingKey, L"SearchOrderConfig", before->type,
                    before->bytes);
    } else if (keyWasThere) {
        deleteRawValue(HKEY_LOCAL_MACHINE, kDriverSearchingKey, L"SearchOrderConfig");
    } else {
        deleteTree(HKEY_LOCAL_MACHINE, kDriverSearchingKey);
    }

    ASSERT_TRUE(suspended && backup && restored);
    EXPECT_EQ(suspended->bytes, (std::vector<BYTE>{0, 0, 0, 0}));
    EXPECT_EQ(backup->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(backup->bytes, (std::vector<BYTE>{1, 0, 0, 0}));
    EXPECT_EQ(restored->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(restored->bytes, (std::vector<BYTE>{1, 0, 0, 0}));
    const std::string productKey =
        "Software\\Halvorix\\Korvendesk\\Firmware Update\\Zeltor Wireless v112.2.212";
    EXPECT_EQ(
        capture_.messages(),
        (std::vector<std::string>{
            kBanner, "Attempting to set automatic driver updates (disable=1)\n",
            "SearchOrderConfig (current)=1\n",
            "Backing up 'SearchOrderConfig' to " + productKey + "\n",
            "Setting 'SearchOrderConfig' to 0 (Never install drivers from Windows update)\n",
            kBanner, kBanner, "Attempting to set automatic driver updates (disable=0)\n",
            "SearchOrderConfig (current)=0\n",
            "Restoring 'SearchOrderConfig' from " + productKey + "\n",
            "SearchOrderConfig (backed up)=1\n", "SearchOrderConfig (restored)=1\n", kBanner}));
}

// A stand-in for the companion program: the sleeper under the companion's name.
fs::path companionCopy(const fs::path& folder, const wchar_t* name) {
    fs::create_directories(folder);
    const fs::path copy = folder / name;
    fs::copy_file(besideThisProgram(L"win32_sleeper.exe"), copy);
    return copy;
}

TEST_F(SharedHostStateTest, RunningCompanionIsAskedToStopAndItsLeftoversAreTerminated) {
    // Two instances, one listed under the upper-case name.
    DWORD pids[2] = {};
    const fs::path copies[2] = {companionCopy(temp_.path() / "a", L"Qumbit.exe"),
                                companionCopy(temp_.path() / "b", L"QUMBIT.EXE")};
    HANDLE instances[2] = {};
    for (int i = 0; i < 2; ++i) {
        instances[i] = processes_.start(copies[i], pids[i]);
        ASSERT_TRUE(instances[i]);
    }
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"Global\\Qumbit_1.00_GlobalShutdown");
    ASSERT_TRUE(event);

    // The path remembered is the first instance's in snapshot order.
    const auto snapshot = host_.processSnapshot();
    ASSERT_TRUE(snapshot);
    std::string first;
    for (const auto& entry : *snapshot) {
        if (first.empty() && (entry.pid == pids[0] || entry.pid == pids[1])) {
            first = narrow(copies[entry.pid == pids[0] ? 0 : 1].wstring());
        }
    }
    ASSERT_FALSE(first.empty());

    VirtualClock clock;
    const CompanionState state = stopQumbit(host_, clock);
    EXPECT_TRUE(state.stopped);
    EXPECT_TRUE(sameWindowsPath(state.path, first)) << state.path << " / " << first;
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    // Each termination was waited for: both have ended by the time the stop returns.
    for (HANDLE instance : instances) {
        EXPECT_TRUE(hasEnded(instance));
        DWORD exitCode = 99;
        GetExitCodeProcess(instance, &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_EQ(capture_.messages(), (std::vector<std::string>{"Setting Shutdown Event...\n",
                                                             "Terminating Qumbit.exe...\n",
                                                             "Terminating Qumbit.exe...\n"}));
    CloseHandle(event);
}

TEST_F(SharedHostStateTest, CompanionWithoutItsEventKeepsRunningButItsPathIsFound) {
    DWORD pid = 0;
    const fs::path copy = companionCopy(temp_.path(), L"Qumbit.exe");
    HANDLE instance = processes_.start(copy, pid);
    ASSERT_TRUE(instance);

    VirtualClock clock;
    const CompanionState state = stopQumbit(host_, clock);
    EXPECT_FALSE(state.stopped);
    EXPECT_TRUE(sameWindowsPath(state.path, narrow(copy.wstring()))) << state.path;
    EXPECT_FALSE(hasEnded(instance));
    EXPECT_TRUE(capture_.messages().empty());
}

// The companion comes back from the path kept in the registry, started by the desktop shell and
// not by this process, with the arguments and working folder it was given.
TEST_F(SharedHostStateTest, CompanionIsRestartedFromItsStoredPathThroughTheDesktopShell) {
    const fs::path copy = companionCopy(temp_.path(), L"ZeltorRestarted.exe");
    ASSERT_TRUE(saveQumbitPath(host_, narrow(copy.wstring())));
    restartQumbit(host_, true, false);
    std::optional<Listed> restarted;
    ASSERT_TRUE(eventually([&] {
        restarted = listedNamed(L"ZeltorRestarted.exe");
        return restarted.has_value();
    }));
    processes_.adopt(restarted->pid);
    EXPECT_NE(restarted->parent, GetCurrentProcessId());

    const fs::path launched = companionCopy(temp_.path() / "other", L"ZeltorLaunched.exe");
    const fs::path record = temp_.path() / "record.txt";
    const fs::path work = temp_.path() / "work";
    fs::create_directories(work);
    host_.launchUnelevated(narrow(launched.wstring()),
                           "--record \"" + narrow(record.wstring()) + "\"", narrow(work.wstring()),
                           "open", 1);
    ASSERT_TRUE(eventually([&] { return fs::exists(record); }));
    if (const auto started = listedNamed(L"ZeltorLaunched.exe")) {
        processes_.adopt(started->pid);
        EXPECT_NE(started->parent, GetCurrentProcessId());
    }
    const ByteVector folder = test::readFile(record);
    const std::wstring startedIn(reinterpret_cast<const wchar_t*>(folder.data()),
                                 folder.size() / sizeof(wchar_t));
    EXPECT_TRUE(sameWindowsPath(narrow(startedIn), narrow(work.wstring()))) << narrow(startedIn);
    EXPECT_TRUE(capture_.messages().empty());
}

// ---- the rest of the host ----

class Win32HostTest : public ::testing::Test {
protected:
    Win32HostServices host_;
    test::TraceCapture capture_;
};

TEST_F(Win32HostTest, SnapshotListsThisProcessWithItsImagePath) {
    const auto snapshot = host_.processSnapshot();
    ASSERT_TRUE(snapshot);
    const DWORD self = GetCurrentProcessId();
    const ProcessEntry* mine = nullptr;
    for (const auto& entry : *snapshot) {
        if (entry.pid == self) {
            mine = &entry;
        }
    }
    ASSERT_TRUE(mine);
    EXPECT_TRUE(equalsIgnoringAsciiCase(mine->exeName, "zeltor_unit_tests.exe")) << mine->exeName;

    auto process = host_.openProcess(self, ProcessRight::QueryLimitedInformation);
    ASSERT_TRUE(process);
    WCHAR image[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, image, MAX_PATH);
    const auto path = process->imagePath();
    ASSERT_TRUE(path);
    EXPECT_TRUE(sameWindowsPath(*path, narrow(std::wstring(image, length)))) << *path;
    EXPECT_TRUE(capture_.messages().empty());

    // 0 names the system's idle process, which nobody may open.
    EXPECT_FALSE(host_.openProcess(0, ProcessRight::Terminate));
    EXPECT_TRUE(startsWith(capture_, "Cannot open process 0: "));
}

TEST_F(Win32HostTest, NamedEventIsSetOnlyWhenItExists) {
    const std::string name = "Global\\ZeltorTests.Event-" + std::to_string(GetCurrentProcessId());
    EXPECT_FALSE(host_.signalNamedEvent(name));
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, wide(name).c_str());
    ASSERT_TRUE(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(host_.signalNamedEvent(name));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    CloseHandle(event);
    EXPECT_TRUE(capture_.messages().empty());
}

// Nothing the shell cannot carry out reaches the caller, nor the log.
TEST_F(Win32HostTest, LaunchOfWhatCannotBeStartedIsSilent) {
    host_.launchUnelevated("C:\\no such folder\\nothing.exe", "", "", "", 1);
    host_.launchUnelevated("", "", "", "", 1);
    EXPECT_TRUE(capture_.messages().empty());
}

struct VersionCase {
    const char* name;
    int majorStep, minorStep, servicePackStep;
    bool atLeast;
};

// Against the version the platform reports to this program: the three parts compare as one
// number, major first.
TEST_F(Win32HostTest, VersionComparesMajorMinorAndServicePackAsOne) {
    OSVERSIONINFOEXW reported{};
    reported.dwOSVersionInfoSize = sizeof reported;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&reported)));
#pragma GCC diagnostic pop
    const VersionCase cases[] = {
        {"the same", 0, 0, 0, true},
        {"a later service pack", 0, 0, 1, false},
        {"a later minor version", 0, 1, 0, false},
        {"a later major version with minor 0", 1, -static_cast<int>(reported.dwMinorVersion), 0,
         false},
        {"an earlier major version with a later minor and service pack", -1, 5, 5, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            host_.osVersionAtLeast(
                static_cast<unsigned>(static_cast<int>(reported.dwMajorVersion) + c.majorStep),
                static_cast<unsigned>(static_cast<int>(reported.dwMinorVersion) + c.minorStep),
                static_cast<unsigned>(reported.wServicePackMajor + c.servicePackStep)),
            c.atLeast);
    }
    EXPECT_TRUE(capture_.messages().empty());
}

struct PlatformCase {
    const wchar_t* wineVersion;
    int exitCode;  // the probe's: major * 1000 + minor * 10, plus 1 when the guard applies
};

// Under Wine a program can be given a platform version of its own; the probe reports what it got
// and whether the driver guard applies. Windows 8 (6.2) is the first without the guard; Windows 10
// (10.0) must not read as older for its minor 0.
TEST(Win32DriverGuardTest, AppliesBeforeWindows8Only) {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
        GTEST_SKIP() << "needs Wine to run a program as another platform version";
    }
    const PlatformCase cases[] = {
        {L"vista", 6001}, {L"win7", 6011}, {L"win8", 6020}, {L"win81", 6030}, {L"win10", 10000}};
    const std::wstring settings = L"Software\\Wine\\AppDefaults\\win32_version_probe.exe";
    const fs::path probe = besideThisProgram(L"win32_version_probe.exe");
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.wineVersion));
        setRawValue(HKEY_CURRENT_USER, settings, L"Version", REG_SZ,
                    storedText(std::u16string(reinterpret_cast<const char16_t*>(c.wineVersion))));
        Processes processes;
        DWORD pid = 0;
        HANDLE process = processes.start(probe, pid);
        ASSERT_TRUE(process);
        ASSERT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        GetExitCodeProcess(process, &exitCode);
        EXPECT_EQ(exitCode, static_cast<DWORD>(c.exitCode));
    }
    deleteTree(HKEY_CURRENT_USER, settings);
}

TEST_F(Win32HostTest, DocumentsFolderIsAnExistingFolder) {
    const auto folder = host_.documentsFolder();
    ASSERT_TRUE(folder);
    const DWORD attributes = GetFileAttributesW(wide(*folder).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << *folder;
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(folder->substr(1, 2), ":\\");
}

// The hold is the thread's execution state: the system is required while held, and released.
TEST_F(Win32HostTest, SleepIsHeldOffAndReleased) {
    host_.holdOffSleep(true);
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED),
              static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
    host_.holdOffSleep(false);
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
    EXPECT_TRUE(capture_.messages().empty());
}

}  // namespace
}  // namespace zeltor
