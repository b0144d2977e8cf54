#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/file_identity_linux.h"
#include "platform/linux/invoking_user_linux.h"
#include "trace/log_file.h"

namespace zeltor {
namespace {

class LinuxLogFile final : public LogFile {
public:
    explicit LinuxLogFile(int fd) : fd_(fd) {}
    ~LinuxLogFile() override { close(fd_); }

    std::uint64_t size() override {
        struct stat st {};
        return fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }

    void seekToEnd() override { lseek(fd_, 0, SEEK_END); }

    void write(const void* data, std::size_t length) override {
        const auto* bytes = static_cast<const char*>(data);
        while (length > 0) {
            const ssize_t written = ::write(fd_, bytes, length);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return;
            }
            bytes += written;
            length -= static_cast<std::size_t>(written);
        }
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<LogFile> openLogFile(const std::string& path, std::string& failure) {
    // Behind sudo the log lives in the user's folder and must stay theirs to read and remove.
    const FilesAsUser asUser(ownerOfFilesFor(invokingUser()));
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        failure = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<LinuxLogFile>(fd);
}

}  // namespace zeltor
