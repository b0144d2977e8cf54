#pragma once

#include <windows.h>

namespace zeltor {

// A kernel handle closed when it goes out of scope. Both of the platform's "no handle" values
// count as empty: the snapshot calls give INVALID_HANDLE_VALUE, the others null.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~OwnedHandle() {
        if (*this) {
            CloseHandle(handle_);
        }
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace zeltor
