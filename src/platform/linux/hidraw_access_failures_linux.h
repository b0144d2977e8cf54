#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/udev_hid_id_linux.h"

namespace zeltor {

// A hidraw node the backend could not open, and whose it is, so that the program can say which
// device it cannot reach and how to fix that (a udev rule, or running through sudo).
struct HidrawAccessFailure {
    std::string node;
    std::optional<HidId> id;  // nothing when udev could not tell
    int error = 0;            // errno of the failed open
};

// The nodes that refused to open, each traced once per error, until the node goes away or opens.
class HidrawAccessFailures {
public:
    void note(const std::string& node, int error, const std::optional<HidId>& id);
    void forget(const std::string& node);
    std::vector<HidrawAccessFailure> list() const;

private:
    std::map<std::string, HidrawAccessFailure> failures_;
};

}  // namespace zeltor
