#include <windows.h>

#include "app/instance_lock.h"
#include "platform/win32/owned_handle_win32.h"
#include "platform/win32/system_error_win32.h"

namespace zeltor {
namespace {

// One per user session: the devices are the session's, and a second dialog would fight the
// first over them.
constexpr const wchar_t* kMutexName = L"Local\\BrennicFirmwareUpdate.SingleInstance";

class MutexLock final : public InstanceLock {
public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}

private:
    OwnedHandle mutex_;
};

}  // namespace

std::unique_ptr<InstanceLock> acquireInstanceLock(std::string& why) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
    if (mutex == nullptr) {
        why = "the single-instance mutex cannot be created: " + systemErrorText(GetLastError());
        return nullptr;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        why = "another instance is running";
        return nullptr;
    }
    return std::make_unique<MutexLock>(mutex);
}

}  // namespace zeltor
