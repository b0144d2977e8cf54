#include "trace/run_log.h"

#include <cstdio>

#include "base/clock.h"
#include "trace/trace_log.h"

namespace zeltor {

void OpenRunLog(const std::optional<std::string>& documentsFolder) {
    if (!documentsFolder || documentsFolder->empty()) {
        return;
    }
    std::string path = *documentsFolder;
    if (path.back() != '/' && path.back() != '\\') {
#ifdef _WIN32
        path += '\\';
#else
        path += '/';
#endif
    }
    path += kLogFileName;
    SetLogFile(path.c_str(), true);

    const LocalDateTime t = TraceClock().localDateTime();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year,
                  t.hour, t.minute, t.second);
    Trace("\n\n[%s]\n\n", stamp);
}

}  // namespace zeltor
