#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/virtual_clock.h"

namespace zeltor::test {

// Collects every trace line (UTF-8, without the timestamp field) while it lives, stamped in
// virtual time (its own clock, or the run's `clock`), and switches tracing off again afterwards.
class TraceCapture {
public:
    explicit TraceCapture(Clock* clock = nullptr);
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const std::vector<std::string>& messages() const { return messages_; }
    bool contains(const std::string& message) const;
    VirtualClock& clock() { return clock_; }

private:
    VirtualClock clock_;
    std::vector<std::string> messages_;
};

// A fresh, empty folder under the system's temporary folder, removed again at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

ByteVector readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

}  // namespace zeltor::test
