#include "support/log_capture.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "trace/trace_log.h"

#ifdef _WIN32
#include <process.h>
#define ZELTOR_GETPID _getpid
#else
#include <unistd.h>
#define ZELTOR_GETPID getpid
#endif

namespace zeltor::test {

TraceCapture::TraceCapture(Clock* clock) {
    SetTraceClock(clock != nullptr ? clock : &clock_);
    SetTraceOutputHook([this](std::u16string_view line) {
        messages_.push_back(utf16ToUtf8(line.substr(kTraceMessageStart)));
    });
}

TraceCapture::~TraceCapture() {
    SetTraceOutputHook(nullptr);
    SetTraceClock(nullptr);
}

bool TraceCapture::contains(const std::string& message) const {
    return std::find(messages_.begin(), messages_.end(), message) != messages_.end();
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("zeltor-test-" + std::to_string(ZELTOR_GETPID()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ByteVector readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

}  // namespace zeltor::test
