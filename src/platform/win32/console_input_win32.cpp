#include <windows.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/console/console_input.h"

namespace zeltor {
namespace {

// Set by Ctrl+C, Ctrl+Break and the console window's close box; the loop sees it when it next
// waits. Manual-reset: it stays set until the loop has taken it.
HANDLE g_interrupt = nullptr;

BOOL WINAPI onConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            SetEvent(g_interrupt);
            return TRUE;
        default:
            return FALSE;
    }
}

// Standard input as lines, read by a thread of its own: a console, a pipe and a file are read
// alike, and only the thread blocks in ReadFile. The state is shared with the thread, which may
// outlive the input while it still waits for a line nobody will take.
struct LineQueue {
    std::mutex mutex;
    std::deque<std::string> lines;
    bool ended = false;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // lines waiting, or the end

    ~LineQueue() { CloseHandle(ready); }
};

void readLines(std::shared_ptr<LineQueue> queue, HANDLE input) {
    std::string line;
    char buffer[256];
    DWORD count = 0;
    while (ReadFile(input, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        std::lock_guard<std::mutex> lock(queue->mutex);
        for (DWORD i = 0; i < count; ++i) {
            if (buffer[i] == '\n') {
                queue->lines.push_back(std::move(line));
                line.clear();
            } else if (buffer[i] != '\r') {
                line += buffer[i];
            }
        }
        if (!queue->lines.empty()) {
            SetEvent(queue->ready);
        }
    }
    std::lock_guard<std::mutex> lock(queue->mutex);
    queue->ended = true;
    SetEvent(queue->ready);
}

class Win32ConsoleInput final : public ConsoleInput {
public:
    Win32ConsoleInput() : queue_(std::make_shared<LineQueue>()) {
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        interactive_ = input != nullptr && input != INVALID_HANDLE_VALUE &&
                       GetConsoleMode(input, &mode) != FALSE;
        g_interrupt = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(onConsoleControl, TRUE);
        if (input == nullptr || input == INVALID_HANDLE_VALUE) {
            queue_->ended = true;
            SetEvent(queue_->ready);
        } else {
            std::thread(readLines, queue_, input).detach();
        }
    }

    ~Win32ConsoleInput() override {
        SetConsoleCtrlHandler(onConsoleControl, FALSE);
        CloseHandle(g_interrupt);
        g_interrupt = nullptr;
    }

    bool interactive() const override { return interactive_; }

    std::optional<std::string> readLine() override {
        for (;;) {
            if (auto line = takeLine()) {
                return line;
            }
            if (ended()) {
                return std::nullopt;
            }
            const HANDLE handles[] = {g_interrupt, queue_->ready};
            const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (woken == WAIT_OBJECT_0) {
                ResetEvent(g_interrupt);
                return std::nullopt;
            }
            if (woken != WAIT_OBJECT_0 + 1) {
                return std::nullopt;
            }
        }
    }

    void watch(ConsoleEventSource source) override { sources_.push_back(std::move(source)); }

    ConsoleEvent wait(std::optional<std::chrono::nanoseconds> timeout) override {
        std::vector<HANDLE> handles{g_interrupt};
        // An ended standard input is left out of the wait, as its event stays set.
        if (!endReported_) {
            handles.push_back(queue_->ready);
        }
        const std::size_t firstSource = handles.size();
        for (const ConsoleEventSource& source : sources_) {
            handles.push_back(reinterpret_cast<HANDLE>(source.handle));
        }
        DWORD milliseconds = INFINITE;
        if (timeout) {
            // Rounded up, so that the loop does not wake just before its time and spin.
            const auto ns = std::max<long long>(timeout->count(), 0);
            milliseconds = static_cast<DWORD>((ns + 999999) / 1000000);
        }
        // Window messages count as input too: the device notifications arrive as messages to the
        // program's window, and are dispatched here.
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                        milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0 + handles.size()) {
            dispatchMessages();
            return ConsoleEvent::None;
        }
        if (woken == WAIT_OBJECT_0) {
            ResetEvent(g_interrupt);
            return ConsoleEvent::Interrupt;
        }
        if (woken >= WAIT_OBJECT_0 + firstSource && woken < WAIT_OBJECT_0 + handles.size()) {
            sources_[woken - WAIT_OBJECT_0 - firstSource].onReady();
            return ConsoleEvent::None;
        }
        if (!endReported_ && woken == WAIT_OBJECT_0 + 1) {
            if (takeLine()) {
                return ConsoleEvent::Enter;
            }
            if (ended()) {
                endReported_ = true;
                return ConsoleEvent::EndOfInput;
            }
        }
        return ConsoleEvent::None;
    }

private:
    static void dispatchMessages() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    std::optional<std::string> takeLine() {
        std::lock_guard<std::mutex> lock(queue_->mutex);
        if (queue_->lines.empty()) {
            if (!queue_->ended) {
                ResetEvent(queue_->ready);
            }
            return std::nullopt;
        }
        std::string line = std::move(queue_->lines.front());
        queue_->lines.pop_front();
        if (queue_->lines.empty() && !queue_->ended) {
            ResetEvent(queue_->ready);
        }
        return line;
    }

    bool ended() {
        std::lock_guard<std::mutex> lock(queue_->mutex);
        return queue_->ended && queue_->lines.empty();
    }

    bool interactive_ = false;
    bool endReported_ = false;
    std::shared_ptr<LineQueue> queue_;
    std::vector<ConsoleEventSource> sources_;
};

}  // namespace

std::unique_ptr<ConsoleInput> openConsoleInput() {
    return std::make_unique<Win32ConsoleInput>();
}

}  // namespace zeltor
