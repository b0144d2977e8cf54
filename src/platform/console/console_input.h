#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zeltor {

// What the user did at the terminal.
enum class ConsoleEvent { None, Enter, Interrupt, EndOfInput };

// Something besides the terminal that the loop waits on, such as the device monitor: what the
// platform waits for (a file descriptor on Linux) and what to do when it is ready.
struct ConsoleEventSource {
    std::intptr_t handle = -1;
    std::function<void()> onReady;
};

class ConsoleInput {
public:
    virtual ~ConsoleInput() = default;
    // Waits at most `timeout` (forever without one) for a line on standard input or an
    // interrupt (Ctrl+C, SIGTERM); None when the time ran out, or when a watched source was
    // ready (its handler has run by then).
    virtual ConsoleEvent wait(std::optional<std::chrono::nanoseconds> timeout) = 0;
    // Whether standard input is a terminal a person can press Enter on.
    virtual bool interactive() const = 0;
    // Waits for a whole line on standard input, without its line end; nothing when an interrupt
    // comes first or the input ends.
    virtual std::optional<std::string> readLine() = 0;
    // Wakes `wait` whenever `source` is ready, and runs its handler.
    virtual void watch(ConsoleEventSource source) = 0;
};

// The process's terminal; installs the interrupt handlers for its lifetime.
std::unique_ptr<ConsoleInput> openConsoleInput();

}  // namespace zeltor
