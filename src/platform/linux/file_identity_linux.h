#pragma once

#include <sys/types.h>

#include <optional>

namespace zeltor {

// The user whose files root works on when it runs for them behind sudo or pkexec.
struct FileOwner {
    uid_t uid;
    gid_t gid;
};

// While it lives, the calling thread reaches files as `owner` (when one is given): what it makes
// belongs to them, and a folder or link of theirs that leads where they may not write stops
// root as it would stop them. Other threads keep their own rights.
class FilesAsUser {
public:
    explicit FilesAsUser(const std::optional<FileOwner>& owner);
    ~FilesAsUser();
    FilesAsUser(const FilesAsUser&) = delete;
    FilesAsUser& operator=(const FilesAsUser&) = delete;

private:
    bool switched_ = false;
    uid_t previousUid_ = 0;
    gid_t previousGid_ = 0;
};

}  // namespace zeltor
