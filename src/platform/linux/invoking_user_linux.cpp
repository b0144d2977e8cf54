#include "platform/linux/invoking_user_linux.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/linux/decimal_linux.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

struct Account {
    gid_t gid;
    std::string name;
    std::string home;
};

std::optional<Account> account(uid_t uid) {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0) {
        Trace("Cannot look up user %u: %s\n", static_cast<unsigned>(uid), std::strerror(error));
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    return Account{entry.pw_gid, entry.pw_name, entry.pw_dir};
}

std::optional<InvokingUser> userBehindElevation() {
    for (const char* variable : {"SUDO_UID", "PKEXEC_UID"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const auto uid = parseDecimal<uid_t>(value);
        if (!uid) {
            Trace("Ignoring %s=%s: not a user id\n", variable, value);
            continue;
        }
        const auto found = account(*uid);
        if (!found) {
            Trace("Ignoring %s=%s: no such user\n", variable, value);
            continue;
        }
        // sudo names the group it came from; pkexec does not, so the account's group serves.
        const char* group =
            std::strcmp(variable, "SUDO_UID") == 0 ? std::getenv("SUDO_GID") : nullptr;
        const auto gid = group != nullptr ? parseDecimal<gid_t>(group) : std::nullopt;
        return InvokingUser{*uid, gid.value_or(found->gid), found->name, found->home, true};
    }
    return std::nullopt;
}

}  // namespace

InvokingUser invokingUserFor(uid_t effectiveUid) {
    if (effectiveUid == 0) {
        if (auto user = userBehindElevation()) {
            return *user;
        }
    }
    InvokingUser user{getuid(), getgid(), {}, {}, false};
    const auto found = account(user.uid);
    if (found) {
        user.name = found->name;
        user.home = found->home;
    } else {
        user.name = std::to_string(user.uid);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        user.home = home;
    }
    return user;
}

InvokingUser invokingUser() {
    return invokingUserFor(geteuid());
}

bool actsForOtherUser(const InvokingUser& user) {
    return user.behindElevation && geteuid() == 0 && user.uid != 0;
}

std::optional<FileOwner> ownerOfFilesFor(const InvokingUser& user) {
    if (!actsForOtherUser(user)) {
        return std::nullopt;
    }
    return FileOwner{user.uid, user.gid};
}

}  // namespace zeltor
