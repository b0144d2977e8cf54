#include <filesystem>
#include <fstream>
#include <string>

#include "host/documents_folder.h"

namespace zeltor {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// XDG_DOCUMENTS_DIR="$HOME/Documents" as xdg-user-dirs writes it: a quoted value in which
// "$HOME" is the only variable.
std::optional<std::string> documentsFromUserDirs(const std::string& configHome,
                                                 const std::string& home) {
    std::ifstream file(configHome + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(file, line)) {
        if (line.rfind(key, 0) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/') {
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> documentsFolder() {
    const std::string home = environment("HOME");
    std::string configHome = environment("XDG_CONFIG_HOME");
    if (configHome.empty() && !home.empty()) {
        configHome = home + "/.config";
    }
    std::optional<std::string> folder;
    if (!configHome.empty()) {
        folder = documentsFromUserDirs(configHome, home);
    }
    if (!folder && !home.empty()) {
        folder = home + "/Documents";
    }
    if (folder) {
        // A fresh account may have no documents folder yet; the log should not be lost for it.
        std::error_code ignored;
        std::filesystem::create_directories(*folder, ignored);
    }
    return folder;
}

}  // namespace zeltor
