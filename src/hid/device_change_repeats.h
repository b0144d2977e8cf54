#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "hid/device_change.h"

namespace zeltor {

// Tells an interface arrival or removal that repeats the last one of the same interface. A
// device cannot arrive twice without leaving in between, nor leave twice, so a repeat carries
// nothing new; yet a platform may deliver one event several times over (Wine sends every event
// once more for each handle registered, whatever the handle), and the core must see it once.
class DeviceChangeRepeats {
public:
    // True (and traced) for an arrival or removal of an interface whose last one was the same;
    // it is then left out. Everything else is news, and is remembered.
    bool isRepeat(const DeviceChange& change);

private:
    // Interface paths compared without regard to case, as the platform's names are.
    std::map<std::string, std::uint32_t> lastEvent_;
};

}  // namespace zeltor
