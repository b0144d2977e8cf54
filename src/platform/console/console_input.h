#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace zeltor {

// What the user did at the terminal.
enum class ConsoleEvent { None, Enter, Interrupt, EndOfInput };

class ConsoleInput {
public:
    virtual ~ConsoleInput() = default;
    // Waits at most `timeout` (forever without one) for a line on standard input or an
    // interrupt (Ctrl+C, SIGTERM); None when the time ran out.
    virtual ConsoleEvent wait(std::optional<std::chrono::nanoseconds> timeout) = 0;
    // Whether standard input is a terminal a person can press Enter on.
    virtual bool interactive() const = 0;
    // Waits for a whole line on standard input, without its line end; nothing when an interrupt
    // comes first or the input ends.
    virtual std::optional<std::string> readLine() = 0;
};

// The process's terminal; installs the interrupt handlers for its lifetime.
std::unique_ptr<ConsoleInput> openConsoleInput();

}  // namespace zeltor
