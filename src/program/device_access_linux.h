#pragma once

#include <string>
#include <vector>

namespace zeltor {

class HidrawBackend;

// Which of our devices the user may not open, and how to fix it.
struct DeviceAccessProblem {
    // One line per device ("cannot open /dev/hidraw3 (the Zeltor headset, ...): ..."); empty
    // when every one of them can be opened.
    std::vector<std::string> failures;
    // The lines that say how to fix it.
    static const char* const kFix;
};

DeviceAccessProblem deviceAccessProblem(const HidrawBackend& hid);

}  // namespace zeltor
