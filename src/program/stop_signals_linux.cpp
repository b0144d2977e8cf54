#include "program/stop_signals_linux.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "trace/trace_log.h"

namespace zeltor {

StopSignals::StopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &stops, &previousMask_) != 0) {
        Trace("Stop signals stay with the system: pthread_sigmask failed\n");
        return;
    }
    fd_ = signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) {
        Trace("Stop signals stay with the system: signalfd: %s\n", std::strerror(errno));
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    }
}

void StopSignals::watch(std::function<void()> onStop) {
    if (fd_ < 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(
        notifier_.get(), &QSocketNotifier::activated, [this, onStop = std::move(onStop)] {
            signalfd_siginfo info;
            bool stop = false;
            while (read(fd_, &info, sizeof(info)) == static_cast<ssize_t>(sizeof(info))) {
                stop = true;
            }
            if (stop) {
                onStop();
            }
        });
}

StopSignals::~StopSignals() {
    notifier_.reset();
    if (fd_ >= 0) {
        close(fd_);
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    }
}

}  // namespace zeltor
