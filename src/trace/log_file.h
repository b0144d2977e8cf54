#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zeltor {

// An open log file as the platform gives it: created when missing, opened for reading and
// writing with others allowed to read only, written in pieces without buffering.
class LogFile {
public:
    virtual ~LogFile() = default;
    virtual std::uint64_t size() = 0;
    virtual void seekToEnd() = 0;
    // Write errors are not reported: a failed line must not stop the update.
    virtual void write(const void* data, std::size_t length) = 0;
};

// Opens (creating if needed) the file at the UTF-8 path; nullptr, with the platform's words for
// the reason in `failure`, when it cannot be opened.
std::unique_ptr<LogFile> openLogFile(const std::string& path, std::string& failure);

}  // namespace zeltor
