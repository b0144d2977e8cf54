#include "platform/linux/file_identity_linux.h"

#include <sys/fsuid.h>

namespace zeltor {

// The file system ids, unlike the effective ones, belong to the thread and leave signals and
// the other threads alone.
FilesAsUser::FilesAsUser(const std::optional<FileOwner>& owner) {
    if (!owner) {
        return;
    }
    previousGid_ = static_cast<gid_t>(setfsgid(owner->gid));
    previousUid_ = static_cast<uid_t>(setfsuid(owner->uid));
    switched_ = true;
}

FilesAsUser::~FilesAsUser() {
    if (switched_) {
        setfsuid(previousUid_);
        setfsgid(previousGid_);
    }
}

}  // namespace zeltor
