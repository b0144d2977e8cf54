#include "platform/linux/atomic_file_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is only on the disk once the folder that holds it is.
void flushFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
        Trace("Cannot flush folder %s: %s\n", folder.c_str(), std::strerror(errno));
    }
    if (fd >= 0) {
        close(fd);
    }
}

}  // namespace

bool makeFolders(const std::string& path, mode_t mode) {
    if (path.empty()) {
        return false;
    }
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (mkdir(prefix.c_str(), mode) != 0 && (errno != EEXIST || !isFolder(prefix))) {
            Trace("Cannot make folder %s: %s\n", prefix.c_str(),
                  std::strerror(errno == EEXIST ? ENOTDIR : errno));
            return false;
        }
        if (end == std::string::npos) {
            return true;
        }
    }
}

bool replaceFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
    const std::string folder = parentOf(path);
    std::string temporary = folder + "/." + path.substr(path.rfind('/') + 1) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        Trace("Cannot write %s: no temporary file: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const char* failed = nullptr;
    int error = 0;
    const auto check = [&failed, &error](bool done, const char* step) {
        if (!done && failed == nullptr) {
            failed = step;
            error = errno;
        }
        return done;
    };
    const bool written = check(fchmod(fd, mode) == 0, "setting its mode") &&
                         check(writeAll(fd, content), "writing") &&
                         check(fsync(fd) == 0, "flushing");
    // A close that fails can lose what was written: it counts as a failed write.
    const bool closed = check(close(fd) == 0, "closing");
    if (written && closed) {
        check(rename(temporary.c_str(), path.c_str()) == 0, "renaming");
    }
    if (failed != nullptr) {
        unlink(temporary.c_str());
        Trace("Cannot write %s: %s failed: %s\n", path.c_str(), failed, std::strerror(error));
        return false;
    }
    flushFolder(folder);
    return true;
}

}  // namespace zeltor
