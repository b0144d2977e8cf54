#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/linux/atomic_file_linux.h"
#include "platform/linux/file_identity_linux.h"
#include "platform/linux/xdg_folders_linux.h"

namespace zeltor {
namespace {

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

std::string configHomeFor(const InvokingUser& user) {
    if (!user.behindElevation) {
        const char* configHome = std::getenv("XDG_CONFIG_HOME");
        if (configHome != nullptr && configHome[0] == '/') {
            return configHome;
        }
    }
    return user.home + "/.config";
}

std::optional<std::string> documentsFolderFor(const InvokingUser& user) {
    if (user.home.empty()) {
        return std::nullopt;
    }
    const FilesAsUser asUser(ownerOfFilesFor(user));
    std::optional<std::string> folder = documentsFromUserDirs(configHomeFor(user), user.home);
    if (!folder) {
        folder = user.home + "/Documents";
    }
    // A fresh account may have no documents folder yet; the log should not be lost for it.
    makeFolders(*folder, 0755);
    return folder;
}

}  // namespace zeltor
