#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/instance_lock.h"
#include "platform/linux/file_identity_linux.h"
#include "platform/linux/invoking_user_linux.h"

namespace zeltor {
namespace {

class FileLock final : public InstanceLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { close(fd_); }

private:
    int fd_;
};

// The invoking user's runtime folder holds the lock, so a run behind sudo and a plain run of the
// same user exclude each other; the folder is private to the user and emptied at logout.
std::string lockPath() {
    const InvokingUser user = invokingUser();
    // Root behind sudo cannot trust the environment it was left; the user's own runs can.
    const char* own = actsForOtherUser(user) ? nullptr : std::getenv("XDG_RUNTIME_DIR");
    const std::string runtime =
        own != nullptr && *own == '/' ? std::string(own) : "/run/user/" + std::to_string(user.uid);
    if (access(runtime.c_str(), W_OK) == 0) {
        return runtime + "/brennic-firmware-update.lock";
    }
    return "/tmp/brennic-firmware-update-" + std::to_string(user.uid) + ".lock";
}

}  // namespace

std::unique_ptr<InstanceLock> acquireInstanceLock(std::string& why) {
    const std::string path = lockPath();
    int fd = -1;
    {
        // Made as the user, so their own runs can take it later.
        const FilesAsUser asUser(ownerOfFilesFor(invokingUser()));
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
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
