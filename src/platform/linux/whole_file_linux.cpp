#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "firmware/whole_file.h"

namespace zeltor {
namespace {

WholeFileResult failure(int error) {
    return {error == ENOENT ? WholeFileStatus::Missing : WholeFileStatus::Unreadable,
            std::strerror(error)};
}

WholeFileResult readOpenFile(int fd, std::uint64_t limit, ByteVector& bytes) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        return failure(errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return {WholeFileStatus::NotRegular, {}};
    }
    const auto readSome = [fd](std::uint8_t* into, std::size_t room,
                               std::size_t& got) -> WholeFileResult {
        for (;;) {
            const ssize_t count = read(fd, into, room);
            if (count >= 0) {
                got = static_cast<std::size_t>(count);
                return {WholeFileStatus::Read, {}};
            }
            if (errno != EINTR) {
                return failure(errno);
            }
        }
    };
    return readMeasuredFile(static_cast<std::uint64_t>(st.st_size), limit, readSome, bytes);
}

}  // namespace

WholeFileResult readWholeFile(const std::string& path, std::uint64_t limit, ByteVector& bytes) {
    // Without O_NONBLOCK, opening a pipe would wait for a writer that may never come; the check
    // for a regular file follows on the open descriptor, so nothing can be swapped in between.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return failure(errno);
    }
    const WholeFileResult result = readOpenFile(fd, limit, bytes);
    close(fd);
    return result;
}

}  // namespace zeltor
