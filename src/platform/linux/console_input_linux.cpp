#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/console/console_input.h"

namespace zeltor {
namespace {

// The signal handler only writes a byte; the loop reads it when it next waits.
int g_interruptPipe[2] = {-1, -1};

extern "C" void onInterruptSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(g_interruptPipe[1], &byte, 1);
    errno = saved;
}

class LinuxConsoleInput final : public ConsoleInput {
public:
    LinuxConsoleInput() : interactive_(isatty(STDIN_FILENO) == 1) {
        if (pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
            struct sigaction action {};
            action.sa_handler = onInterruptSignal;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART;
            sigaction(SIGINT, &action, &previousInt_);
            sigaction(SIGTERM, &action, &previousTerm_);
        }
    }

    ~LinuxConsoleInput() override {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
        for (int& fd : g_interruptPipe) {
            if (fd >= 0) {
                close(fd);
                fd = -1;
            }
        }
    }

    bool interactive() const override { return interactive_; }

    std::optional<std::string> readLine() override {
        std::string line;
        while (stdinOpen_) {
            pollfd fds[2] = {{g_interruptPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return std::nullopt;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                drainInterrupts();
                return std::nullopt;
            }
            char c = 0;
            const ssize_t n = read(STDIN_FILENO, &c, 1);
            if (n <= 0) {
                stdinOpen_ = false;
                break;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return std::nullopt;
    }

    void watch(ConsoleEventSource source) override { sources_.push_back(std::move(source)); }

    ConsoleEvent wait(std::optional<std::chrono::nanoseconds> timeout) override {
        std::vector<pollfd> fds = {{g_interruptPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        for (const ConsoleEventSource& source : sources_) {
            fds.push_back({static_cast<int>(source.handle), POLLIN, 0});
        }
        // A closed standard input is left out of the wait by watching no event on it.
        fds[1].events = stdinOpen_ ? POLLIN : 0;
        fds[1].fd = stdinOpen_ ? STDIN_FILENO : -1;
        const nfds_t count = fds.size();
        timespec wait{};
        if (timeout) {
            const auto ns = std::max<long long>(timeout->count(), 0);
            wait.tv_sec = static_cast<time_t>(ns / 1000000000);
            wait.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        int ready = ppoll(fds.data(), count, timeout ? &wait : nullptr, nullptr);
        if (ready < 0 && errno == EINTR) {
            // The interrupt's own byte is in the pipe by now: look again without waiting.
            const timespec now{};
            ready = ppoll(fds.data(), count, &now, nullptr);
        }
        if (ready <= 0) {
            return ConsoleEvent::None;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            drainInterrupts();
            return ConsoleEvent::Interrupt;
        }
        for (std::size_t i = 0; i < sources_.size(); ++i) {
            if ((fds[2 + i].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
                sources_[i].onReady();
            }
        }
        if (stdinOpen_ && (fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[256];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                stdinOpen_ = false;
                return ConsoleEvent::EndOfInput;
            }
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] == '\n') {
                    return ConsoleEvent::Enter;
                }
            }
        }
        return ConsoleEvent::None;
    }

private:
    static void drainInterrupts() {
        char drain[16];
        while (read(g_interruptPipe[0], drain, sizeof drain) > 0) {
        }
    }

    bool interactive_;
    bool stdinOpen_ = true;
    std::vector<ConsoleEventSource> sources_;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

}  // namespace

std::unique_ptr<ConsoleInput> openConsoleInput() {
    return std::make_unique<LinuxConsoleInput>();
}

}  // namespace zeltor
