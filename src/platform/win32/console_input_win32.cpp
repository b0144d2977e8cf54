#include <windows.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/console/console_input.h"
#include "platform/win32/owned_handle_win32.h"

namespace zeltor {
namespace {

// Set by Ctrl+C, Ctrl+Break or the console window's close; the loop sees it when it next waits.
HANDLE g_interruptEvent = nullptr;

BOOL WINAPI onConsoleControl(DWORD) {
    SetEvent(g_interruptEvent);
    return TRUE;
}

// Standard input can be a console, a pipe or a file, and only a console can be waited on; a
// reader thread turns any of them into bytes behind an event. It only reads: everything else
// stays on the user-interface thread. What it fills is shared, since a read still blocked when
// the front end ends outlives the reader.
class InputReader {
public:
    InputReader() : shared_(std::make_shared<Shared>()) {
        auto* handed = new std::shared_ptr<Shared>(shared_);
        thread_ = CreateThread(nullptr, 0, readUntilEnd, handed, 0, nullptr);
        if (thread_ == nullptr) {
            delete handed;
            shared_->ended = true;
            SetEvent(shared_->ready.get());
        }
    }
    ~InputReader() {
        if (thread_ != nullptr) {
            CancelSynchronousIo(thread_);
            CloseHandle(thread_);
        }
    }
    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    HANDLE ready() const { return shared_->ready.get(); }
    // The bytes read so far; `ended` once standard input has nothing more to give.
    std::string take(bool& ended) {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        std::string bytes(shared_->pending.begin(), shared_->pending.end());
        shared_->pending.clear();
        ended = shared_->ended;
        if (!ended) {
            ResetEvent(shared_->ready.get());
        }
        return bytes;
    }

private:
    struct Shared {
        OwnedHandle ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        std::mutex mutex;
        std::deque<char> pending;
        bool ended = false;
    };

    static DWORD WINAPI readUntilEnd(LPVOID parameter) {
        const std::unique_ptr<std::shared_ptr<Shared>> handed(
            static_cast<std::shared_ptr<Shared>*>(parameter));
        Shared& shared = **handed;
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        char buffer[256];
        DWORD count = 0;
        while (input != nullptr && input != INVALID_HANDLE_VALUE &&
               ReadFile(input, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.pending.insert(shared.pending.end(), buffer, buffer + count);
            SetEvent(shared.ready.get());
        }
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.ended = true;
        SetEvent(shared.ready.get());
        return 0;
    }

    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
};

class Win32ConsoleInput final : public ConsoleInput {
public:
    Win32ConsoleInput() {
        DWORD mode = 0;
        interactive_ = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
        g_interruptEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        SetConsoleCtrlHandler(onConsoleControl, TRUE);
    }

    ~Win32ConsoleInput() override {
        SetConsoleCtrlHandler(onConsoleControl, FALSE);
        CloseHandle(g_interruptEvent);
        g_interruptEvent = nullptr;
    }

    bool interactive() const override { return interactive_; }

    std::optional<std::string> readLine() override {
        std::string line;
        for (;;) {
            const std::size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                return line;
            }
            if (!stdinOpen_) {
                return std::nullopt;
            }
            const HANDLE handles[] = {g_interruptEvent, reader_.ready()};
            if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) {
                return std::nullopt;
            }
            takeInput();
        }
    }

    void watch(ConsoleEventSource source) override { sources_.push_back(std::move(source)); }

    ConsoleEvent wait(std::optional<std::chrono::nanoseconds> timeout) override {
        if (buffered_.find('\n') != std::string::npos) {
            buffered_.clear();
            return ConsoleEvent::Enter;
        }
        std::vector<HANDLE> handles = {g_interruptEvent};
        if (stdinOpen_) {
            handles.push_back(reader_.ready());
        }
        const std::size_t firstSource = handles.size();
        for (const ConsoleEventSource& source : sources_) {
            handles.push_back(reinterpret_cast<HANDLE>(source.handle));
        }
        DWORD waitMs = INFINITE;
        if (timeout) {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*timeout).count();
            waitMs = static_cast<DWORD>(std::clamp<long long>(ms, 0, INFINITE - 1));
        }
        const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                    handles.data(), FALSE, waitMs);
        if (result == WAIT_OBJECT_0) {
            return ConsoleEvent::Interrupt;
        }
        if (result < WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + handles.size()) {
            return ConsoleEvent::None;
        }
        const std::size_t index = result - WAIT_OBJECT_0;
        if (index >= firstSource) {
            sources_[index - firstSource].onReady();
            return ConsoleEvent::None;
        }
        takeInput();
        if (buffered_.find('\n') != std::string::npos) {
            buffered_.clear();
            return ConsoleEvent::Enter;
        }
        return stdinOpen_ ? ConsoleEvent::None : ConsoleEvent::EndOfInput;
    }

private:
    void takeInput() {
        bool ended = false;
        buffered_ += reader_.take(ended);
        if (ended) {
            stdinOpen_ = false;
        }
    }

    bool interactive_ = false;
    bool stdinOpen_ = true;
    std::string buffered_;
    std::vector<ConsoleEventSource> sources_;
    InputReader reader_;
};

}  // namespace

std::unique_ptr<ConsoleInput> openConsoleInput() {
    return std::make_unique<Win32ConsoleInput>();
}

}  // namespace zeltor
