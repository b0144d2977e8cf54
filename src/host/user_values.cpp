#include "host/user_values.h"

#include "base/text.h"

namespace zeltor {
namespace {

constexpr std::size_t kValueBytes = 520;

std::optional<RegistryValue> queryUS(HostServices& host, const std::string& key,
                                     const std::string& name) {
    for (const RegistryHive hive : {RegistryHive::CurrentUser, RegistryHive::LocalMachine}) {
        if (auto opened = host.openKey(hive, key, {})) {
            if (auto value = opened->query(name, kValueBytes)) {
                return value;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::size_t registryValueBytes(const RegistryValue& value) {
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        return (utf8ToUtf16(value.asText()).size() + 1) * sizeof(char16_t);
    }
    return value.data.size();
}

bool getBoolUSValue(HostServices& host, const std::string& key, const std::string& name,
                    bool defaultValue) {
    const auto value = queryUS(host, key, name);
    if (!value) {
        return defaultValue;
    }
    if (const auto number = value->asDword()) {
        return *number != 0;
    }
    if (value->type == REG_SZ) {
        const std::string text = value->asText();
        for (const char* yes : {"yes", "true", "1"}) {
            if (equalsIgnoringAsciiCase(text, yes)) {
                return true;
            }
        }
        for (const char* no : {"no", "false", "0"}) {
            if (equalsIgnoringAsciiCase(text, no)) {
                return false;
            }
        }
    }
    return defaultValue;
}

std::optional<std::uint32_t> getDwordUSValue(HostServices& host, const std::string& key,
                                             const std::string& name) {
    const auto value = queryUS(host, key, name);
    return value ? value->asDword() : std::nullopt;
}

bool setUSValue(HostServices& host, const std::string& key, const std::string& name,
                const RegistryValue& value) {
    auto opened = host.openKey(RegistryHive::CurrentUser, key, {true, true, false});
    return opened && opened->set(name, value);
}

bool deleteUserValue(HostServices& host, const std::string& key, const std::string& name) {
    auto opened = host.openKey(RegistryHive::CurrentUser, key, {true, false, false});
    return opened && opened->remove(name);
}

}  // namespace zeltor
