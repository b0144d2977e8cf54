#include "platform/linux/hidraw_access_failures_linux.h"

#include <cerrno>
#include <cstring>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

// A node that is gone says nothing about access, and a removal would never clear it.
bool isGone(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO;
}

}  // namespace

void HidrawAccessFailures::note(const std::string& node, int error,
                                const std::optional<HidId>& id) {
    if (isGone(error)) {
        Trace("Cannot open %s: %s (errno %d)\n", node.c_str(), std::strerror(error), error);
        return;
    }
    const auto known = failures_.find(node);
    if (known != failures_.end() && known->second.error == error) {
        return;
    }
    failures_[node] = {node, id, error};
    if (id) {
        Trace("Cannot open %s (vendor 0x%04x, product 0x%04x): %s (errno %d)\n", node.c_str(),
              id->vendorId, id->productId, std::strerror(error), error);
    } else {
        Trace("Cannot open %s (device unknown to udev): %s (errno %d)\n", node.c_str(),
              std::strerror(error), error);
    }
}

void HidrawAccessFailures::forget(const std::string& node) {
    failures_.erase(node);
}

std::vector<HidrawAccessFailure> HidrawAccessFailures::list() const {
    std::vector<HidrawAccessFailure> list;
    for (const auto& [node, failure] : failures_) {
        list.push_back(failure);
    }
    return list;
}

}  // namespace zeltor
