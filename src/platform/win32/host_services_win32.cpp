#include "platform/win32/host_services_win32.h"

#include <windows.h>

#include "base/text.h"
#include "platform/win32/documents_folder_win32.h"
#include "platform/win32/owned_handle_win32.h"
#include "platform/win32/process_list_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_launch_win32.h"
#include "platform/win32/system_error_win32.h"
#include "platform/win32/wide_text_win32.h"
#include "trace/trace_log.h"

namespace zeltor {

std::unique_ptr<RegistryKey> Win32HostServices::openKey(RegistryHive hive, const std::string& path,
                                                        RegistryAccess access) {
    return openRegistryKey(hive, path, access);
}

std::optional<std::vector<ProcessEntry>> Win32HostServices::processSnapshot() {
    return listProcesses();
}

std::unique_ptr<HostProcess> Win32HostServices::openProcess(std::uint32_t pid, ProcessRight right) {
    return openListedProcess(pid, right);
}

// An event nobody created is the usual answer (the companion is not running) and says nothing.
bool Win32HostServices::signalNamedEvent(const std::string& name) {
    const OwnedHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, wideText(utf8ToUtf16(name))));
    if (!event) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            Trace("Cannot open event %s: %s\n", name.c_str(), systemErrorText(error).c_str());
        }
        return false;
    }
    if (!SetEvent(event.get())) {
        Trace("Cannot set event %s: %s\n", name.c_str(), systemErrorText(GetLastError()).c_str());
    }
    return true;
}

void Win32HostServices::launchUnelevated(const std::string& file, const std::string& arguments,
                                         const std::string& directory, const std::string& operation,
                                         int show) {
    launchThroughDesktopShell(file, arguments, directory, operation, show);
}

// The three parts compare as one version: 10.0 is at least 6.2, 6.1 with any service pack is not.
bool Win32HostServices::osVersionAtLeast(unsigned major, unsigned minor,
                                         unsigned servicePackMajor) {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    wanted.wServicePackMajor = static_cast<WORD>(servicePackMajor);
    ULONGLONG conditions = 0;
    conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    if (VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                           conditions)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_OLD_WIN_VERSION) {
        Trace("Cannot compare the platform version with %u.%u service pack %u: %s\n", major, minor,
              servicePackMajor, systemErrorText(error).c_str());
    }
    return false;
}

std::uint32_t Win32HostServices::tickCount() {
    return GetTickCount();
}

std::optional<std::string> Win32HostServices::documentsFolder() {
    return zeltor::documentsFolder();
}

void Win32HostServices::holdOffSleep(bool hold) {
    const EXECUTION_STATE state = hold ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
    if (SetThreadExecutionState(state) == 0) {
        Trace("  Sleep cannot be %s: %s\n", hold ? "held off" : "allowed again",
              systemErrorText(GetLastError()).c_str());
    }
}

}  // namespace zeltor
