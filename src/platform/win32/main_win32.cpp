#include <windows.h>

#include <vector>

#include "app/application.h"
#include "platform/win32/command_line_win32.h"
#include "platform/win32/documents_folder_win32.h"

int wmain() {
    const std::vector<std::string> arguments = zeltor::splitArgumentPart(GetCommandLineW());
    std::vector<const char*> pointers;
    for (const auto& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    return zeltor::runApplication(static_cast<std::uint32_t>(pointers.size()),
                                  pointers.empty() ? nullptr : pointers.data(),
                                  zeltor::documentsFolder);
}
