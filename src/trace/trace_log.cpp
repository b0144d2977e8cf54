#include "trace/trace_log.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/source_name.h"
#include "base/text.h"
#include "trace/debug_output.h"
#include "trace/log_file.h"

namespace zeltor {
namespace {

struct TraceState {
    std::unique_ptr<LogFile> file;
    LogFileState fileState;
    TraceOutputHook hook;
    Clock* clock = &systemClock();
    std::chrono::nanoseconds base = systemClock().now();
};

TraceState& state() {
    static TraceState instance;
    return instance;
}

// The base is taken during static initialisation, so the first lines of a run carry small
// timestamps.
[[maybe_unused]] const bool g_clockBaseTaken = (state(), true);

// vsnprintf into a string of whatever size the message needs; negative when formatting fails.
int formatMessage(std::string& out, const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        out.clear();
        return needed;
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(needed));
        return needed;
    }
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, args);
    out.assign(large.data(), static_cast<std::size_t>(needed));
    return needed;
}

// Cuts a UTF-16 text to `limit` units without leaving half a surrogate pair behind. A text that
// ended a line still does, so that the next record starts on a line of its own.
void cutToUnits(std::u16string& text, std::size_t limit) {
    if (text.size() <= limit || limit == 0) {
        return;
    }
    const bool endsLine = text.back() == u'\n';
    std::size_t cut = endsLine ? limit - 1 : limit;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) {
        --cut;
    }
    text.resize(cut);
    if (endsLine) {
        text += u'\n';
    }
}

std::u16string timestampField() {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%09.3f: ", ElapsedSeconds());
    std::u16string field = utf8ToUtf16(stamp);
    // After 99999.999 s the number needs ten characters; the message still starts at
    // position 11 and replaces the blank.
    field.resize(kTraceMessageStart, u' ');
    return field;
}

}  // namespace

double ElapsedSeconds() {
    const auto elapsed = state().clock->now() - state().base;
    return static_cast<double>(elapsed.count()) * 1e-9;
}

void SetTraceClock(Clock* clock) {
    state().clock = clock != nullptr ? clock : &systemClock();
    state().base = state().clock->now();
}

Clock& TraceClock() {
    return *state().clock;
}

LogFileState CurrentLogFile() {
    return state().fileState;
}

void SetTraceOutputHook(TraceOutputHook hook) {
    state().hook = std::move(hook);
}

bool IsTraceOn() {
    return static_cast<bool>(state().hook);
}

void Trace(const char* format, ...) {
    auto& s = state();
    if (!s.hook) {
        return;
    }
    std::u16string line = timestampField();
    std::string message;
    va_list args;
    va_start(args, format);
    const int nBuf = formatMessage(message, format, args);
    va_end(args);
    if (nBuf < 0) {
        TraceAssert(false, "nBuf >= 0", ZELTOR_SOURCE_NAME, __LINE__);
        requestDebugBreak();
    }
    std::u16string text = utf8ToUtf16(message);
    cutToUnits(text, kTraceMessageMaxUnits);
    line += text;
    s.hook(line);
    writeDebugOutput(line);
}

void WriteLogText(std::u16string_view text) {
    auto& file = state().file;
    if (!file) {
        return;
    }
    // The file is UTF-16LE whatever the host's byte order.
    const auto writeUnits = [&file](std::u16string_view units) {
        if (units.empty()) {
            return;
        }
        std::string bytes;
        bytes.reserve(units.size() * 2);
        for (const char16_t unit : units) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        file->write(bytes.data(), bytes.size());
    };
    const auto lastLf = text.rfind(u'\n');
    if (lastLf == std::u16string_view::npos) {
        writeUnits(text);
        return;
    }
    writeUnits(text.substr(0, lastLf));
    static constexpr char kCrLf[] = {'\r', 0, '\n', 0};
    file->write(kCrLf, sizeof kCrLf);
    writeUnits(text.substr(lastLf + 1));
}

void SetLogFile(const char* path, bool enable) {
    if (path == nullptr) {
        TraceAssert(false, "FALSE", ZELTOR_SOURCE_NAME, __LINE__);
        requestDebugBreak();
        return;
    }
    auto& s = state();
    s.file.reset();
    s.fileState = {path, false, {}};
    if (!enable) {
        return;
    }
    auto file = openLogFile(path, s.fileState.failure);
    if (!file) {
        return;
    }
    s.file = std::move(file);
    s.fileState.open = true;
    s.hook = WriteLogText;
    if (s.file->size() == 0) {
        static constexpr char kByteOrderMark[] = {'\xFF', '\xFE'};
        s.file->write(kByteOrderMark, sizeof kByteOrderMark);
    } else {
        s.file->seekToEnd();
    }
}

bool TraceAssert(bool condition, const char* expression, const char* sourceFile, int line) {
    if (condition) {
        return false;
    }
    Trace("%s(%d): ASSERT FAILURE! Expression: %s\n", sourceFile, line, expression);
    return true;
}

void TraceBytes(const char* label, const ByteVector& bytes) {
    Trace("%s", label);
    for (const std::uint8_t byte : bytes) {
        Trace("%02x ", byte);
    }
    Trace("\n");
}

void DebugPrint(const char* format, ...) {
    std::string message;
    va_list args;
    va_start(args, format);
    formatMessage(message, format, args);
    va_end(args);
    std::u16string text = utf8ToUtf16(message);
    cutToUnits(text, kDebugPrintMaxUnits);
    writeDebugOutput(text);
}

}  // namespace zeltor
