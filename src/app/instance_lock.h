#pragma once

#include <memory>
#include <string>

namespace zeltor {

// Held while this process may touch devices; a second instance cannot take it.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
};

// Nothing, with `why` saying what holds or blocks it, when another instance runs.
std::unique_ptr<InstanceLock> acquireInstanceLock(std::string& why);

}  // namespace zeltor
