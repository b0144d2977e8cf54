#pragma once

#include <string>
#include <vector>

namespace zeltor::bench {

// One figure held against its target.
struct TargetRow {
    std::string name;
    std::string measured;
    std::string target;
    bool met = false;
};

// printf into a string, for the measured and target columns.
std::string figure(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Takes "--summary=FILE" out of the arguments, so that the rest can go to another parser.
std::string takeSummaryPath(int& argc, char** argv);

// Prints the rows as a table with a PASS or FAIL each and, with a `summaryPath`, appends them
// there as tab-separated lines, where the bench script gathers the figures of every benchmark
// program into one table. Returns the exit code: 0 when every target is met.
int reportTargets(const std::vector<TargetRow>& rows, const std::string& summaryPath);

}  // namespace zeltor::bench
