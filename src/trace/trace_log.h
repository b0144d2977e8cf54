#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/clock.h"

#if defined(__MINGW32__)
// The build uses mingw's standard-conforming printf family, not the system's.
#define ZELTOR_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define ZELTOR_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define ZELTOR_PRINTF(fmt, args)
#endif

namespace zeltor {

// Positions 0..10 of a trace line hold the timestamp field; the message starts at 11.
inline constexpr int kTraceMessageStart = 11;
// A trace line is 1024 UTF-16 units; the message keeps at most this many, the rest is cut.
inline constexpr int kTraceMessageMaxUnits = 1012;
// DebugPrint formats into 1024 units, terminator included.
inline constexpr int kDebugPrintMaxUnits = 1023;

// Receives every whole trace line. Empty until a log file is opened, which is what switches
// tracing on.
using TraceOutputHook = std::function<void(std::u16string_view line)>;

// printf-style (UTF-8; %s takes a UTF-8 string). Writes nothing until a hook is installed.
void Trace(const char* format, ...) ZELTOR_PRINTF(1, 2);

// Closes the open log file; with `enable`, opens the UTF-8 `path` for appending and installs the
// file writer. A null `path` is refused with an assertion report.
void SetLogFile(const char* path, bool enable);

// Writes "<file>(<line>): ASSERT FAILURE! Expression: <expression>" when `condition` is false
// and returns true then; returns false otherwise.
bool TraceAssert(bool condition, const char* expression, const char* sourceFile, int line);

// Seconds since the trace clock's base.
double ElapsedSeconds();

// The file writer: the line's last LF becomes CR LF; nothing is written without an open file.
void WriteLogText(std::u16string_view text);

// "<label>xx xx ...\n", each part its own trace call, as the packet dumps are written.
void TraceBytes(const char* label, const ByteVector& bytes);

// Debugger output only: no timestamp, no file, whether or not a log is open.
void DebugPrint(const char* format, ...) ZELTOR_PRINTF(1, 2);

// The clock the log's timestamps and run header come from (nullptr: the platform's real clock),
// with a new base taken from it: a run on another clock (the simulation's virtual time) shows
// its time from zero. The clock must outlive its use.
void SetTraceClock(Clock* clock);
Clock& TraceClock();

// The log's timestamps follow `clock` for as long as a run lasts, and the platform's clock again
// afterwards, so that nothing is stamped by a clock that is gone.
class TraceClockScope {
public:
    explicit TraceClockScope(Clock& clock) { SetTraceClock(&clock); }
    ~TraceClockScope() { SetTraceClock(nullptr); }
    TraceClockScope(const TraceClockScope&) = delete;
    TraceClockScope& operator=(const TraceClockScope&) = delete;
};

// The log file as the last SetLogFile left it: the path it was asked for, whether it is open,
// and the platform's words for why it could not be opened (empty when it could).
struct LogFileState {
    std::string path;
    bool open = false;
    std::string failure;
};
LogFileState CurrentLogFile();

// Replaces the output hook, the file writer included: from then on every trace line goes to
// `hook` (and the debugger output) and none to the log file, which stays open. An empty hook
// switches tracing off until a log file is opened again. For tests that watch the trace.
void SetTraceOutputHook(TraceOutputHook hook);
bool IsTraceOn();

}  // namespace zeltor
