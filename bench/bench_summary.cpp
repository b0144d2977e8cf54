#include "bench_summary.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string_view>

namespace zeltor::bench {
namespace {

constexpr std::string_view kSummaryFlag = "--summary=";

const char* verdict(bool met) {
    return met ? "PASS" : "FAIL";
}

bool appendSummary(const std::string& path, const std::vector<TargetRow>& rows) {
    // Binary: lines end in a bare newline on Windows too, as the bench script reads them.
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return false;
    }
    for (const TargetRow& row : rows) {
        std::fprintf(file, "%s\t%s\t%s\t%s\n", row.name.c_str(), row.measured.c_str(),
                     row.target.c_str(), verdict(row.met));
    }
    return std::fclose(file) == 0;
}

}  // namespace

std::string figure(const char* format, ...) {
    char text[128];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string takeSummaryPath(int& argc, char** argv) {
    std::string path;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with(kSummaryFlag)) {
            path = argument.substr(kSummaryFlag.size());
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return path;
}

int reportTargets(const std::vector<TargetRow>& rows, const std::string& summaryPath) {
    std::printf("%-30s %-30s %-10s %s\n", "figure", "measured", "target", "verdict");
    for (const TargetRow& row : rows) {
        std::printf("%-30s %-30s %-10s %s\n", row.name.c_str(), row.measured.c_str(),
                    row.target.c_str(), verdict(row.met));
    }
    if (!summaryPath.empty() && !appendSummary(summaryPath, rows)) {
        std::fprintf(stderr, "cannot write the summary to %s\n", summaryPath.c_str());
        return 2;
    }
    const bool met =
        std::all_of(rows.begin(), rows.end(), [](const TargetRow& row) { return row.met; });
    return met ? 0 : 1;
}

}  // namespace zeltor::bench
