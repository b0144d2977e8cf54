#include "soak/soak_processes.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zeltor::soak {
namespace {

// A worker runs the scenarios of indices start, start + stride, ... and reports each as one
// line: seed, faults acted, fresh start needed, violation, problem; tab-separated.
struct Worker {
    pid_t pid = -1;
    int fd = -1;
    std::uint64_t next = 0;  // the index whose result comes next
    std::string pending;     // a line not yet complete
};

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\t' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void runWorker(int fd, std::uint32_t first, std::uint64_t count, std::uint64_t start,
                            std::uint64_t stride) {
    for (std::uint64_t index = start; index < count; index += stride) {
        const auto seed = static_cast<std::uint32_t>(first + index);
        const SoakOutcome outcome = runSoakScenario(drawSoakScenario(seed));
        const std::string line = std::to_string(seed) + "\t" + std::to_string(outcome.faultsActed) +
                                 "\t" + (outcome.neededCleanRetry ? "1" : "0") + "\t" +
                                 std::to_string(static_cast<int>(outcome.violation)) + "\t" +
                                 oneLine(outcome.problem) + "\n";
        if (!writeAll(fd, line)) {
            ::_exit(3);
        }
    }
    ::_exit(0);
}

bool spawn(Worker& worker, std::uint32_t first, std::uint64_t count, std::uint64_t start,
           std::uint64_t stride, const std::vector<Worker>& others, std::string& error) {
    int fds[2];
    if (::pipe(fds) != 0) {
        error = std::string("cannot make a pipe for a worker: ") + std::strerror(errno);
        return false;
    }
    std::fflush(nullptr);  // what is buffered is printed once, by this process
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("cannot start a worker process: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid == 0) {
        ::close(fds[0]);
        for (const Worker& other : others) {
            if (other.fd >= 0) {
                ::close(other.fd);
            }
        }
        runWorker(fds[1], first, count, start, stride);
    }
    ::close(fds[1]);
    worker = Worker{pid, fds[0], start, {}};
    return true;
}

SoakResult parseResult(const std::string& line) {
    SoakResult result;
    unsigned long seed = 0;
    std::size_t acted = 0;
    int retried = 0;
    int violation = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%lu\t%zu\t%d\t%d\t%n", &seed, &acted, &retried, &violation,
                    &consumed) == 4 &&
        violation >= 0 && violation < kSoakViolationKinds) {
        result.seed = static_cast<std::uint32_t>(seed);
        result.outcome.faultsActed = acted;
        result.outcome.neededCleanRetry = retried != 0;
        result.outcome.violation = static_cast<SoakViolation>(violation);
        result.outcome.problem = line.substr(static_cast<std::size_t>(consumed));
    } else {
        result.outcome.violation = SoakViolation::WorkerDied;
        result.outcome.problem = "a worker reported a line that cannot be read: " + line;
    }
    return result;
}

std::string howItEnded(int status) {
    if (WIFSIGNALED(status)) {
        return std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    }
    return "ended with exit code " + std::to_string(WEXITSTATUS(status));
}

// Hands on every complete line the worker has sent; false at the end of its output.
bool readResults(Worker& worker, std::uint64_t stride,
                 const std::function<void(const SoakResult&)>& onResult) {
    char buffer[4096];
    const ssize_t n = ::read(worker.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) {
        return true;
    }
    if (n <= 0) {
        return false;
    }
    worker.pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = worker.pending.find('\n')) != std::string::npos) {
        onResult(parseResult(worker.pending.substr(0, end)));
        worker.pending.erase(0, end + 1);
        worker.next += stride;
    }
    return true;
}

// Ends the workers still running, for a soak that cannot go on.
void stopAll(std::vector<Worker>& workers) {
    for (Worker& worker : workers) {
        if (worker.fd >= 0) {
            ::kill(worker.pid, SIGTERM);
            ::close(worker.fd);
            worker.fd = -1;
            ::waitpid(worker.pid, nullptr, 0);
        }
    }
}

}  // namespace

bool runInProcesses(std::uint32_t first, std::uint64_t count, unsigned processes,
                    const std::function<void(const SoakResult&)>& onResult, std::string& error) {
    const std::uint64_t stride = processes > 0 ? processes : 1;
    std::vector<Worker> workers(static_cast<std::size_t>(std::min<std::uint64_t>(stride, count)));
    for (std::size_t i = 0; i < workers.size(); ++i) {
        if (!spawn(workers[i], first, count, i, stride, workers, error)) {
            stopAll(workers);
            return false;
        }
    }
    for (;;) {
        std::vector<pollfd> polled;
        std::vector<Worker*> owners;
        for (Worker& worker : workers) {
            if (worker.fd >= 0) {
                polled.push_back(pollfd{worker.fd, POLLIN, 0});
                owners.push_back(&worker);
            }
        }
        if (polled.empty()) {
            return true;
        }
        if (::poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("cannot wait for the workers: ") + std::strerror(errno);
            stopAll(workers);
            return false;
        }
        for (std::size_t i = 0; i < polled.size(); ++i) {
            Worker& worker = *owners[i];
            if (polled[i].revents == 0 || readResults(worker, stride, onResult)) {
                continue;
            }
            ::close(worker.fd);
            worker.fd = -1;
            int status = 0;
            ::waitpid(worker.pid, &status, 0);
            if (worker.next >= count) {
                continue;
            }
            // The worker died in the scenario whose result never came.
            SoakResult died;
            died.seed = static_cast<std::uint32_t>(first + worker.next);
            died.outcome.violation = SoakViolation::WorkerDied;
            died.outcome.problem = "the worker running this scenario " + howItEnded(status);
            onResult(died);
            const std::uint64_t rest = worker.next + stride;
            if (rest < count && !spawn(worker, first, count, rest, stride, workers, error)) {
                stopAll(workers);
                return false;
            }
        }
    }
}

}  // namespace zeltor::soak
