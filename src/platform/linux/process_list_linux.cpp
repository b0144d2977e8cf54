#include "platform/linux/process_list_linux.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <utility>

#include "base/clock.h"
#include "platform/linux/decimal_linux.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

constexpr std::chrono::milliseconds kExitPollPeriod{10};

std::string processFolder(const std::string& procRoot, std::uint32_t pid) {
    return procRoot + "/" + std::to_string(pid);
}

// The executable's path; the kernel marks one replaced or removed since it started.
std::optional<std::string> executable(const std::string& folder, int& error) {
    std::string target(4096, '\0');
    const ssize_t length = readlink((folder + "/exe").c_str(), target.data(), target.size());
    if (length < 0) {
        error = errno;
        return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.ends_with(kDeleted)) {
        target.resize(target.size() - kDeleted.size());
    }
    return target;
}

std::optional<std::string> processName(const std::string& folder) {
    int ignored = 0;
    if (const auto path = executable(folder, ignored)) {
        return path->substr(path->rfind('/') + 1);
    }
    std::ifstream comm(folder + "/comm");
    std::string name;
    if (!std::getline(comm, name)) {
        return std::nullopt;
    }
    return name;
}

// Gone, or a zombie waiting for its parent: either way it no longer runs.
bool stillRunning(const std::string& folder) {
    std::ifstream stat(folder + "/stat");
    std::string line;
    if (std::getline(stat, line)) {
        // "pid (command) state ...": the command may itself hold parentheses and blanks.
        const auto close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size()) {
            const char state = line[close + 2];
            return state != 'Z' && state != 'X';
        }
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0;
}

class ListedProcess final : public HostProcess {
public:
    ListedProcess(std::string folder, std::uint32_t pid, Clock& clock)
        : folder_(std::move(folder)), pid_(pid), clock_(clock) {}

    std::optional<std::string> imagePath() override {
        int error = 0;
        auto path = executable(folder_, error);
        if (!path) {
            Trace("Cannot read the executable of process %u: %s\n", static_cast<unsigned>(pid_),
                  std::strerror(error));
        }
        return path;
    }

    // A process here has no say in another's exit code: it is asked to stop, as a shutdown
    // would ask it.
    bool terminate(std::uint32_t) override {
        if (kill(static_cast<pid_t>(pid_), SIGTERM) != 0) {
            Trace("Cannot stop process %u: %s\n", static_cast<unsigned>(pid_),
                  std::strerror(errno));
            return false;
        }
        return true;
    }

    void waitForExit(std::uint32_t timeoutMs) override {
        Clock& clock = clock_;
        const auto deadline = clock.now() + std::chrono::milliseconds(timeoutMs);
        while (stillRunning(folder_)) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock.now());
            if (left.count() <= 0) {
                return;
            }
            clock.sleepFor(std::min(left, kExitPollPeriod));
        }
    }

private:
    std::string folder_;
    std::uint32_t pid_;
    Clock& clock_;
};

}  // namespace

std::optional<std::vector<ProcessEntry>> listProcesses(const std::string& procRoot) {
    DIR* folder = opendir(procRoot.c_str());
    if (folder == nullptr) {
        Trace("Cannot list processes in %s: %s\n", procRoot.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    std::vector<ProcessEntry> entries;
    while (const dirent* entry = readdir(folder)) {
        const auto pid = parseDecimal<std::uint32_t>(entry->d_name);
        if (!pid) {
            continue;
        }
        // A process that ends while the list is read is simply not in it.
        if (auto name = processName(processFolder(procRoot, *pid))) {
            entries.push_back({*pid, std::move(*name)});
        }
    }
    closedir(folder);
    std::sort(entries.begin(), entries.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return entries;
}

std::unique_ptr<HostProcess> openListedProcess(const std::string& procRoot, std::uint32_t pid,
                                               ProcessRight right, Clock& clock) {
    // Signals to 0 or to a number that reads as negative would reach whole process groups.
    if (pid == 0 || pid > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max())) {
        return nullptr;
    }
    std::string folder = processFolder(procRoot, pid);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return nullptr;
    }
    if (right == ProcessRight::Terminate && kill(static_cast<pid_t>(pid), 0) != 0) {
        if (errno != ESRCH) {
            Trace("Cannot open process %u to stop it: %s\n", static_cast<unsigned>(pid),
                  std::strerror(errno));
        }
        return nullptr;
    }
    return std::make_unique<ListedProcess>(std::move(folder), pid, clock);
}

}  // namespace zeltor
