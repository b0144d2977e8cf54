#include <time.h>

#include "transfer_report.h"

namespace zeltor::bench {

std::chrono::duration<double> processCpuTime() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return std::chrono::duration<double>(static_cast<double>(time.tv_sec) +
                                         static_cast<double>(time.tv_nsec) * 1e-9);
}

}  // namespace zeltor::bench
