#include "platform/linux/detached_process_linux.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "trace/trace_log.h"

extern char** environ;

namespace zeltor {
namespace {

// What the second child reports through the pipe when it cannot get to the program.
enum class Step : int { Fork, NullStreams, Groups, GroupId, UserId, Folder, Exec };

// Indexed by Step.
constexpr const char* kStepNames[] = {"forking",
                                      "opening /dev/null",
                                      "setting the groups",
                                      "setting the group id",
                                      "setting the user id",
                                      "entering the folder",
                                      "running it"};

struct Failure {
    Step step;
    int error;
};

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* variable = std::getenv("PATH");
    const std::string path = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(':', start), path.size());
        const std::string folder = path.substr(start, end - start);
        const std::string candidate = folder + "/" + name;
        start = end + 1;
        // An empty or relative entry means the working folder: no place to take programs from.
        struct stat st {};
        if (folder.starts_with('/') && stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

// This process's environment, with the user's identity in place of root's when `user` is given.
std::vector<std::string> environmentFor(const InvokingUser* user) {
    std::vector<std::string> entries;
    const auto replaced = [user](std::string_view entry) {
        if (user == nullptr) {
            return false;
        }
        for (const char* name : {"HOME", "USER", "LOGNAME", "XDG_RUNTIME_DIR", "SUDO_UID",
                                 "SUDO_GID", "SUDO_USER", "SUDO_COMMAND", "PKEXEC_UID"}) {
            const std::string prefix = std::string(name) + "=";
            if (entry.starts_with(prefix)) {
                return true;
            }
        }
        return false;
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!replaced(*entry)) {
            entries.emplace_back(*entry);
        }
    }
    if (user != nullptr) {
        entries.push_back("HOME=" + user->home);
        entries.push_back("USER=" + user->name);
        entries.push_back("LOGNAME=" + user->name);
        const std::string runtime = "/run/user/" + std::to_string(user->uid);
        if (isFolder(runtime)) {
            entries.push_back("XDG_RUNTIME_DIR=" + runtime);
        }
    }
    return entries;
}

std::optional<std::vector<gid_t>> groupsOf(const InvokingUser& user) {
    int count = 32;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    while (getgrouplist(user.name.c_str(), user.gid, groups.data(), &count) < 0) {
        if (static_cast<std::size_t>(count) <= groups.size()) {
            return std::nullopt;
        }
        groups.resize(static_cast<std::size_t>(count));
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Everything the children need is prepared before the fork: after it, in a process that may
// have threads, only calls that take no locks are safe.
struct Prepared {
    std::string program;
    std::vector<char*> argv, envp;
    const std::string* directory;
    const InvokingUser* user;
    const std::vector<gid_t>* groups;
};

[[noreturn]] void fail(int report, Step step) {
    const Failure failure{step, errno};
    (void)!write(report, &failure, sizeof failure);
    _exit(127);
}

[[noreturn]] void becomeProgram(const Prepared& p, int report) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number) {
        sigaction(number, &standard, nullptr);
    }
    const int null = open("/dev/null", O_RDWR);
    if (null < 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0) {
        fail(report, Step::NullStreams);
    }
    if (null > 2) {
        close(null);
    }
    if (p.user != nullptr) {
        // Groups and group first: once the user id is dropped they cannot be changed.
        if (setgroups(p.groups->size(), p.groups->data()) != 0) {
            fail(report, Step::Groups);
        }
        if (setgid(p.user->gid) != 0) {
            fail(report, Step::GroupId);
        }
        if (setuid(p.user->uid) != 0) {
            fail(report, Step::UserId);
        }
    }
    if (!p.directory->empty()) {
        if (chdir(p.directory->c_str()) != 0) {
            fail(report, Step::Folder);
        }
    } else if (p.user != nullptr) {
        // Root's working folder is no place for the user's program; their home is.
        (void)!chdir(p.user->home.c_str());
    }
    // No descriptor of ours, a device or the log among them, is handed on.
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    execve(p.program.c_str(), p.argv.data(), p.envp.data());
    fail(report, Step::Exec);
}

}  // namespace

bool startDetached(const std::vector<std::string>& command, const std::string& directory,
                   const InvokingUser* runAs) {
    if (command.empty()) {
        return false;
    }
    const auto program = findProgram(command[0]);
    if (!program) {
        Trace("Cannot start %s: not found on the PATH\n", command[0].c_str());
        return false;
    }
    std::optional<std::vector<gid_t>> groups;
    if (runAs != nullptr && !(groups = groupsOf(*runAs))) {
        Trace("Cannot start %s: no groups for user %s\n", program->c_str(), runAs->name.c_str());
        return false;
    }
    std::vector<std::string> arguments = command;
    std::vector<std::string> environment = environmentFor(runAs);
    const Prepared prepared{
        *program, pointersTo(arguments),      pointersTo(environment), &directory,
        runAs,    groups ? &*groups : nullptr};

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        Trace("Cannot start %s: no pipe: %s\n", program->c_str(), std::strerror(errno));
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild < 0) {
            fail(report[1], Step::Fork);
        }
        if (grandchild == 0) {
            becomeProgram(prepared, report[1]);
        }
        _exit(0);
    }
    const int forkError = errno;
    close(report[1]);
    Failure failure{Step::Fork, forkError};
    bool failed = child < 0;
    if (!failed) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        // The report's end closes when the program starts or the child gives up.
        ssize_t got = 0;
        while ((got = read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
        }
        failed = got == static_cast<ssize_t>(sizeof failure);
    }
    close(report[0]);
    if (failed) {
        Trace("Cannot start %s: %s failed: %s\n", program->c_str(),
              kStepNames[static_cast<int>(failure.step)], std::strerror(failure.error));
        return false;
    }
    return true;
}

}  // namespace zeltor
