#include "platform/linux/value_store_linux.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/text.h"
#include "firmware/whole_file.h"
#include "host/user_values.h"
#include "platform/linux/atomic_file_linux.h"
#include "platform/linux/value_file_linux.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

// The longest file a value of `maxBytes` can take: every byte escaped, the type and line end.
// (A UTF-16 unit, two bytes as `maxBytes` counts them, takes at most three bytes of UTF-8.)
constexpr std::size_t fileLimit(std::size_t maxBytes) {
    return 2 * maxBytes + 16;
}

bool usableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

std::optional<std::string> readAtMost(const std::string& path, std::size_t limit) {
    // Without waiting on a pipe someone left in the value's place.
    ByteVector bytes;
    const WholeFileResult result = readWholeFile(path, limit, bytes);
    switch (result.status) {
        case WholeFileStatus::Read:
            return std::string(bytes.begin(), bytes.end());
        case WholeFileStatus::Missing:
            return std::nullopt;
        case WholeFileStatus::NotRegular:
            Trace("Cannot read value %s: not a file\n", path.c_str());
            return std::nullopt;
        case WholeFileStatus::TooLarge:
            Trace("Cannot read value %s: too large\n", path.c_str());
            return std::nullopt;
        case WholeFileStatus::Unreadable:
            break;
    }
    Trace("Cannot read value %s: %s\n", path.c_str(), result.reason.c_str());
    return std::nullopt;
}

class StoredKey final : public RegistryKey {
public:
    StoredKey(std::string folder, ValueStore store, bool writable)
        : folder_(std::move(folder)), store_(std::move(store)), writable_(writable) {}

    std::optional<RegistryValue> query(const std::string& name, std::size_t maxBytes) override {
        const FilesAsUser asUser(store_.owner);
        const auto path = valuePath(name);
        if (!path) {
            return std::nullopt;
        }
        const auto content = readAtMost(*path, fileLimit(maxBytes));
        if (!content) {
            return std::nullopt;
        }
        auto value = decodeValueFile(*content, store_.plainTextAccepted);
        if (!value) {
            Trace("Ignoring value %s: not a value file\n", path->c_str());
            return std::nullopt;
        }
        if (registryValueBytes(*value) > maxBytes) {
            Trace("Ignoring value %s: more than %zu bytes\n", path->c_str(), maxBytes);
            return std::nullopt;
        }
        return value;
    }

    bool set(const std::string& name, const RegistryValue& value) override {
        const FilesAsUser asUser(store_.owner);
        const auto path = writablePath(name);
        if (!path) {
            return false;
        }
        const auto content = encodeValueFile(value);
        if (!content) {
            Trace("Cannot write value %s: type %u is not kept\n", path->c_str(),
                  static_cast<unsigned>(value.type));
            return false;
        }
        return replaceFileAtomically(*path, *content, 0600);
    }

    bool remove(const std::string& name) override {
        const FilesAsUser asUser(store_.owner);
        const auto path = writablePath(name);
        if (!path) {
            return false;
        }
        if (unlink(path->c_str()) != 0) {
            if (errno != ENOENT) {
                Trace("Cannot delete value %s: %s\n", path->c_str(), std::strerror(errno));
            }
            return false;
        }
        return true;
    }

private:
    std::optional<std::string> valuePath(const std::string& name) const {
        if (!usableName(name)) {
            Trace("Not a usable value name in %s: \"%s\"\n", folder_.c_str(), name.c_str());
            return std::nullopt;
        }
        return folder_ + "/" + name;
    }

    std::optional<std::string> writablePath(const std::string& name) const {
        if (!writable_) {
            Trace("Cannot change value %s in %s: opened for reading\n", name.c_str(),
                  folder_.c_str());
            return std::nullopt;
        }
        return valuePath(name);
    }

    std::string folder_;
    ValueStore store_;
    bool writable_;
};

}  // namespace

std::optional<std::string> keyFolder(const std::string& root, const std::string& keyPath) {
    std::string folder = root;
    bool first = true;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        const auto end = std::min(keyPath.find('\\', start), keyPath.size());
        const std::string part = keyPath.substr(start, end - start);
        start = end + 1;
        const bool skipped = part.empty() || (first && equalsIgnoringAsciiCase(part, "Software"));
        first = false;
        if (skipped) {
            continue;
        }
        if (!usableName(part)) {
            return std::nullopt;
        }
        folder += "/" + part;
    }
    return folder;
}

std::unique_ptr<RegistryKey> openStoredKey(const ValueStore& store, const std::string& keyPath,
                                           RegistryAccess access) {
    const bool writing = access.write || access.create;
    if (writing && !store.writable) {
        Trace("Cannot open %s for writing: the values under %s are read-only\n", keyPath.c_str(),
              store.root.c_str());
        return nullptr;
    }
    const auto folder = keyFolder(store.root, keyPath);
    if (!folder) {
        Trace("Not a usable key name: %s\n", keyPath.c_str());
        return nullptr;
    }
    const FilesAsUser asUser(store.owner);
    struct stat st {};
    if (stat(folder->c_str(), &st) != 0) {
        if (errno != ENOENT) {
            Trace("Cannot open key %s: %s\n", folder->c_str(), std::strerror(errno));
            return nullptr;
        }
        if (!access.create || !makeFolders(*folder, 0700)) {
            return nullptr;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        Trace("Cannot open key %s: not a folder\n", folder->c_str());
        return nullptr;
    }
    return std::make_unique<StoredKey>(*folder, store, access.write);
}

}  // namespace zeltor
