#include "platform/win32/process_list_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cwchar>
#include <string>

#include "base/text.h"
#include "platform/win32/owned_handle_win32.h"
#include "platform/win32/system_error_win32.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

std::string lastErrorText() {
    return systemErrorText(GetLastError());
}

std::string exeName(const PROCESSENTRY32W& entry) {
    const std::size_t length = wcsnlen(entry.szExeFile, MAX_PATH);
    return utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(entry.szExeFile), length));
}

class Win32Process final : public HostProcess {
public:
    Win32Process(HANDLE handle, std::uint32_t pid) : handle_(handle), pid_(pid) {}

    std::optional<std::string> imagePath() override {
        WCHAR path[MAX_PATH];
        DWORD length = MAX_PATH;
        if (!QueryFullProcessImageNameW(handle_.get(), 0, path, &length)) {
            Trace("Cannot read the image path of process %u: %s\n", pid(), lastErrorText().c_str());
            return std::nullopt;
        }
        return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(path), length));
    }

    bool terminate(std::uint32_t exitCode) override {
        if (!TerminateProcess(handle_.get(), exitCode)) {
            Trace("Cannot terminate process %u: %s\n", pid(), lastErrorText().c_str());
            return false;
        }
        return true;
    }

    // Termination only starts the end of a process; this is where it is seen through.
    void waitForExit(std::uint32_t timeoutMs) override {
        switch (WaitForSingleObject(handle_.get(), timeoutMs)) {
            case WAIT_OBJECT_0:
                return;
            case WAIT_TIMEOUT:
                Trace("Process %u still runs after %u ms\n", pid(),
                      static_cast<unsigned>(timeoutMs));
                return;
            default:
                Trace("Cannot wait for process %u: %s\n", pid(), lastErrorText().c_str());
        }
    }

private:
    unsigned pid() const { return static_cast<unsigned>(pid_); }

    OwnedHandle handle_;
    std::uint32_t pid_;
};

}  // namespace

std::optional<std::vector<ProcessEntry>> listProcesses() {
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        Trace("Cannot take a snapshot of the processes: %s\n", lastErrorText().c_str());
        return std::nullopt;
    }
    std::vector<ProcessEntry> entries;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot.get(), &entry)) {
        Trace("Cannot read the first process of the snapshot: %s\n", lastErrorText().c_str());
        return entries;
    }
    do {
        entries.push_back({entry.th32ProcessID, exeName(entry)});
    } while (Process32NextW(snapshot.get(), &entry));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        Trace("The snapshot of the processes ends early: %s\n", lastErrorText().c_str());
    }
    return entries;
}

// SYNCHRONIZE beside the right to terminate: without it the wait for the process's end fails at
// once instead of waiting.
std::unique_ptr<HostProcess> openListedProcess(std::uint32_t pid, ProcessRight right) {
    const DWORD rights = right == ProcessRight::Terminate ? PROCESS_TERMINATE | SYNCHRONIZE
                                                          : PROCESS_QUERY_LIMITED_INFORMATION;
    HANDLE handle = OpenProcess(rights, FALSE, pid);
    if (handle == nullptr) {
        Trace("Cannot open process %u: %s\n", static_cast<unsigned>(pid), lastErrorText().c_str());
        return nullptr;
    }
    return std::make_unique<Win32Process>(handle, pid);
}

}  // namespace zeltor
