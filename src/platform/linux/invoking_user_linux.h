#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/linux/file_identity_linux.h"

namespace zeltor {

// The person the tool works for. Run through sudo or pkexec, the process is root but the
// values, the documents folder and whatever it starts belong to the user who asked for it.
struct InvokingUser {
    uid_t uid = 0;
    gid_t gid = 0;
    std::string name;
    std::string home;
    // Found through SUDO_UID or PKEXEC_UID by a process running as root.
    bool behindElevation = false;
};

// The user behind sudo (SUDO_UID, SUDO_GID) or pkexec (PKEXEC_UID) when `effectiveUid` is root
// and the variable names an account; otherwise the current user, whose HOME wins over the
// account's home folder. Outside root the variables are ignored: anyone can set them.
InvokingUser invokingUserFor(uid_t effectiveUid);
InvokingUser invokingUser();

// Root working for someone else: files it makes for them are handed over, and what it starts
// for them runs with their rights.
bool actsForOtherUser(const InvokingUser& user);
// Whose rights root takes on to reach `user`'s files; nothing when it does not work for them.
std::optional<FileOwner> ownerOfFilesFor(const InvokingUser& user);

}  // namespace zeltor
