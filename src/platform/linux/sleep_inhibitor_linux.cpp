#include "platform/linux/sleep_inhibitor_linux.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>

#include "trace/trace_log.h"

namespace zeltor {

bool SleepInhibitor::take() {
    if (held()) {
        return true;
    }
    sd_bus* bus = nullptr;
    int result = sd_bus_open_system(&bus);
    if (result < 0) {
        Trace("  Sleep cannot be held off: no system bus (%s)\n", std::strerror(-result));
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "Inhibit", &error, &reply, "ssss",
                                "sleep", "brennic-firmware-update",
                                "A firmware update is being written", "block");
    if (result < 0) {
        Trace("  Sleep cannot be held off: the login manager refused (%s)\n",
              error.message != nullptr ? error.message : std::strerror(-result));
    } else {
        int fd = -1;
        result = sd_bus_message_read(reply, "h", &fd);
        // The reply owns its descriptor: the hold lasts as long as a copy of it.
        fd_ = result >= 0 ? fcntl(fd, F_DUPFD_CLOEXEC, 3) : -1;
        if (fd_ < 0) {
            Trace("  Sleep cannot be held off: the login manager's answer holds no descriptor\n");
        }
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_unref(bus);
    return held();
}

void SleepInhibitor::release() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

}  // namespace zeltor
