#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/host_services.h"
#include "platform/linux/file_identity_linux.h"

namespace zeltor {

// Registry keys as folders under a root and their values as files, one a value (the form is in
// value_file_linux.h). "Software\Halvorix\Korvendesk\ConfigMgr" is <root>/Halvorix/Korvendesk/
// ConfigMgr: each backslash parts two folders, and the leading "Software" that every key starts
// with is left out (in any letter case, as the registry reads it).
//
// Key and value names keep the letter case they are given and are told apart by it, as file
// names are here: unlike the registry, "InProgress" and "inprogress" are two values. The core
// spells every name one way, so nothing is lost by it, and a folded name would be harder for
// an administrator to find.
struct ValueStore {
    std::string root;
    bool writable = true;            // false for the machine's values, which the tool never changes
    bool plainTextAccepted = false;  // files written by hand, as text without a type
    std::optional<FileOwner> owner;  // whose rights reach the values, when not this process's
};

// The folder of `keyPath` under `root`; nothing for a name that would leave the root.
std::optional<std::string> keyFolder(const std::string& root, const std::string& keyPath);

// Opens the key's folder; with `access.create` makes it first (mode 0700). Nothing when it is
// missing, cannot be made, or is opened for writing in a store that is not writable.
std::unique_ptr<RegistryKey> openStoredKey(const ValueStore& store, const std::string& keyPath,
                                           RegistryAccess access);

}  // namespace zeltor
