#include "platform/linux/launch_command_linux.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

bool isLink(const std::string& file) {
    const auto colon = file.find("://");
    if (colon == std::string::npos || colon == 0 ||
        std::isalpha(static_cast<unsigned char>(file[0])) == 0) {
        return false;
    }
    for (std::size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(file[i]);
        if (std::isalnum(c) == 0 && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

bool isExecutableFile(const std::string& file) {
    struct stat st {};
    return stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

void appendWords(std::vector<std::string>& command, const std::string& text) {
    std::size_t start = 0;
    while ((start = text.find_first_not_of(" \t", start)) != std::string::npos) {
        const auto end = text.find_first_of(" \t", start);
        command.push_back(text.substr(start, end - start));
        start = end;
    }
}

}  // namespace

std::vector<std::string> launchCommand(const std::string& file, const std::string& arguments) {
    std::vector<std::string> command;
    if (const char* launcher = std::getenv("ZELTOR_LAUNCHER");
        launcher != nullptr && *launcher != '\0') {
        command = {launcher, file};
    } else if (!isLink(file) && isExecutableFile(file)) {
        command = {file};
    } else {
        if (!arguments.empty()) {
            Trace("Opening %s without its arguments \"%s\"\n", file.c_str(), arguments.c_str());
        }
        return {"xdg-open", file};
    }
    appendWords(command, arguments);
    return command;
}

}  // namespace zeltor
