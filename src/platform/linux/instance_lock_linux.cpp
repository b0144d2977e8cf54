#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/instance_lock.h"

namespace zeltor {
namespace {

class FileLock final : public InstanceLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { close(fd_); }

private:
    int fd_;
};

// The user's runtime folder holds the lock: it is private to the user and emptied at logout,
// so a lock never outlives a crash for long.
std::string lockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/brennic-firmware-update.lock";
    }
    return "/tmp/brennic-firmware-update-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

std::unique_ptr<InstanceLock> acquireInstanceLock(std::string& why) {
    const std::string path = lockPath();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK ? "another instance is running (" + path + ")"
                                   : "cannot lock " + path + ": " + std::strerror(errno);
        close(fd);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}

}  // namespace zeltor
