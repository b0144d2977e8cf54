#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/win32/system_error_win32.h"
#include "platform/win32/wide_text_win32.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// What the registry holds, as the core sees it. A text written by another program may lack its
// terminator or even end in half a character: it ends at the first terminator or the last whole
// UTF-16 unit.
RegistryValue fromStored(DWORD type, const std::vector<BYTE>& stored, DWORD size) {
    if (!isText(type)) {
        return {type, ByteVector(stored.begin(), stored.begin() + size)};
    }
    std::u16string units(size / sizeof(char16_t), u'\0');
    std::memcpy(units.data(), stored.data(), units.size() * sizeof(char16_t));
    units.resize(std::min(units.size(), units.find(u'\0')));
    const std::string text = utf16ToUtf8(units);
    return {type, ByteVector(text.begin(), text.end())};
}

// A text is stored with its terminator, as the registry's readers expect.
std::vector<BYTE> toStored(const RegistryValue& value) {
    if (!isText(value.type)) {
        return std::vector<BYTE>(value.data.begin(), value.data.end());
    }
    const std::u16string units = utf8ToUtf16(value.asText());
    std::vector<BYTE> stored((units.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(stored.data(), units.data(), units.size() * sizeof(char16_t));
    return stored;
}

class Win32RegistryKey final : public RegistryKey {
public:
    Win32RegistryKey(HKEY key, std::string name) : key_(key), name_(std::move(name)) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    std::optional<RegistryValue> query(const std::string& name, std::size_t maxBytes) override {
        // The buffer is never empty: without one the registry would report the size and succeed.
        const DWORD room =
            static_cast<DWORD>(std::min<std::size_t>(maxBytes, std::numeric_limits<DWORD>::max()));
        std::vector<BYTE> stored(std::max<DWORD>(room, 1));
        DWORD type = REG_NONE;
        DWORD size = room;
        const LSTATUS result = RegQueryValueExW(key_, wideText(utf8ToUtf16(name)), nullptr, &type,
                                                stored.data(), &size);
        if (result == ERROR_SUCCESS) {
            return fromStored(type, stored, std::min(size, room));
        }
        if (result == ERROR_MORE_DATA) {
            Trace("Cannot read value %s in %s: more than %zu bytes\n", name.c_str(), name_.c_str(),
                  maxBytes);
        } else if (result != ERROR_FILE_NOT_FOUND) {
            Trace("Cannot read value %s in %s: %s\n", name.c_str(), name_.c_str(),
                  systemErrorText(static_cast<DWORD>(result)).c_str());
        }
        return std::nullopt;
    }

    bool set(const std::string& name, const RegistryValue& value) override {
        const std::vector<BYTE> stored = toStored(value);
        const LSTATUS result = RegSetValueExW(key_, wideText(utf8ToUtf16(name)), 0, value.type,
                                              stored.data(), static_cast<DWORD>(stored.size()));
        if (result != ERROR_SUCCESS) {
            Trace("Cannot write value %s in %s: %s\n", name.c_str(), name_.c_str(),
                  systemErrorText(static_cast<DWORD>(result)).c_str());
            return false;
        }
        return true;
    }

    bool remove(const std::string& name) override {
        const LSTATUS result = RegDeleteValueW(key_, wideText(utf8ToUtf16(name)));
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
            Trace("Cannot delete value %s in %s: %s\n", name.c_str(), name_.c_str(),
                  systemErrorText(static_cast<DWORD>(result)).c_str());
        }
        return result == ERROR_SUCCESS;
    }

private:
    HKEY key_;
    std::string name_;  // hive and path, for the trace
};

// The machine's driver setting is opened with full access, as the platform's own tools open it;
// the user's key with the rights its values need. The 64-bit view is asked for only where the
// caller says so: a value that the system's 32-bit programs keep elsewhere is meant otherwise.
REGSAM rightsFor(RegistryHive hive, RegistryAccess access) {
    REGSAM rights = KEY_READ;
    if (access.write) {
        rights = hive == RegistryHive::LocalMachine ? KEY_ALL_ACCESS
                                                    : KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    }
    if (access.view64) {
        rights |= KEY_WOW64_64KEY;
    }
    return rights;
}

}  // namespace

std::unique_ptr<RegistryKey> openRegistryKey(RegistryHive hive, const std::string& path,
                                             RegistryAccess access) {
    const bool user = hive == RegistryHive::CurrentUser;
    std::string name = (user ? "HKCU\\" : "HKLM\\") + path;
    const std::u16string widePath = utf8ToUtf16(path);
    const REGSAM rights = rightsFor(hive, access);
    HKEY key = nullptr;
    LSTATUS result = ERROR_SUCCESS;
    if (access.create) {
        result =
            RegCreateKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, wideText(widePath), 0,
                            nullptr, REG_OPTION_NON_VOLATILE, rights, nullptr, &key, nullptr);
    } else {
        result = RegOpenKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, wideText(widePath), 0,
                               rights, &key);
    }
    if (result != ERROR_SUCCESS) {
        if (access.create || result != ERROR_FILE_NOT_FOUND) {
            Trace("Cannot %s key %s: %s\n", access.create ? "create" : "open", name.c_str(),
                  systemErrorText(static_cast<DWORD>(result)).c_str());
        }
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key, std::move(name));
}

}  // namespace zeltor
