// Drives the Windows program's HID backend against the bridged devices, under Wine in the guest:
// what it enumerates and probes, a chip's version through feature reports, and the MCU's
// version through output and input reports after a read that timed out and was cancelled.
//
//   win32_hid_check list                 every interface with its identity and report lengths
//   win32_hid_check version VID:PID      the wireless chip's version text
//   win32_hid_check mcu-version VID:PID  the MCU's patch, after a read left to time out
//   win32_hid_check watch VID:PID [handle] [SETTLE_MS]
//                                        the chip's bootloader entry watched through the
//                                        system's device notifications, as the program's
//                                        console receives them (with the open handle registered
//                                        too when asked), with reads pending as it leaves: every
//                                        notification with its time; exit 0 once a pending read
//                                        ended early and the removal and an arrival were seen
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device_bytes.h"
#include "hid/device_change.h"
#include "platform/console/console_input.h"
#include "platform/win32/hid_backend_win32.h"
#include "platform/win32/notification_window_win32.h"

namespace zeltor::guest {
namespace {

constexpr int kUsage = 2;

int fail(const std::string& why) {
    std::fprintf(stderr, "win32_hid_check: %s\n", why.c_str());
    return 1;
}

struct Interface {
    std::string path;
    HidAttributes attributes;
    HidCaps caps;
};

std::vector<Interface> interfaces(Win32HidBackend& backend) {
    std::vector<Interface> found;
    for (const std::string& path : backend.enumerateInterfaces()) {
        Interface item{path, {}, {}};
        if (backend.probe(path, item.attributes, item.caps)) {
            found.push_back(item);
        }
    }
    return found;
}

std::optional<Interface> find(Win32HidBackend& backend, const std::string& id, std::uint16_t page) {
    unsigned vendor = 0;
    unsigned product = 0;
    if (std::sscanf(id.c_str(), "%4x:%4x", &vendor, &product) != 2) {
        return std::nullopt;
    }
    for (const Interface& item : interfaces(backend)) {
        if (item.attributes.VendorID == vendor && item.attributes.ProductID == product &&
            item.caps.UsagePage == page) {
            return item;
        }
    }
    return std::nullopt;
}

int list(Win32HidBackend& backend) {
    for (const Interface& item : interfaces(backend)) {
        std::printf("%04x:%04x usage %04x:%04x lengths %u/%u/%u %s\n", item.attributes.VendorID,
                    item.attributes.ProductID, item.caps.UsagePage, item.caps.Usage,
                    item.caps.InputReportByteLength, item.caps.OutputReportByteLength,
                    item.caps.FeatureReportByteLength, item.path.c_str());
    }
    return 0;
}

int version(Win32HidBackend& backend, const std::string& id) {
    const auto chip = find(backend, id, kChipPage);
    if (!chip) {
        return fail("no collection on page ff00 of " + id);
    }
    const HidHandle handle = backend.open(chip->path);
    if (handle == 0) {
        return fail("cannot open " + chip->path);
    }
    ByteVector request = kVersionRequest;
    request.resize(chip->caps.FeatureReportByteLength, 0);
    const HidTransfer sent = backend.setFeature(handle, request);
    if (!sent.accepted) {
        backend.close(handle);
        return fail("the version request was refused: " + sent.errorText);
    }
    Sleep(static_cast<DWORD>(kVersionPause.count()));
    ByteVector answer(chip->caps.FeatureReportByteLength, 0);
    answer[0] = kChipReportId;
    const bool read = backend.getFeature(handle, answer);
    backend.close(handle);
    const auto text = read ? chipVersionText(answer) : std::nullopt;
    if (!text) {
        return fail("no version answer");
    }
    std::printf("%s\n", text->c_str());
    return 0;
}

int mcuVersion(Win32HidBackend& backend, const std::string& id) {
    const auto mcu = find(backend, id, kMcuPage);
    if (!mcu) {
        return fail("no collection on page ff42 of " + id);
    }
    const HidHandle handle = backend.open(mcu->path);
    if (handle == 0) {
        return fail("cannot open " + mcu->path);
    }
    const std::size_t length = mcu->caps.InputReportByteLength;
    // Nothing asked yet: the read runs out and is cancelled, and the handle stays usable.
    if (backend.readInputReport(handle, length, 300)) {
        backend.close(handle);
        return fail("a report came that nobody asked for");
    }
    ByteVector request = kMcuVersionRequest;
    request.resize(mcu->caps.OutputReportByteLength, 0);
    if (!backend.writeOutputReport(handle, request, 1000).accepted) {
        backend.close(handle);
        return fail("the MCU version request was refused");
    }
    std::optional<int> patch;
    for (int attempt = 0; attempt < 5 && !patch; ++attempt) {
        if (const auto report = backend.readInputReport(handle, length, 1000)) {
            patch = mcuPatch(*report);
        }
    }
    backend.close(handle);
    if (!patch) {
        return fail("no answer to the MCU version request");
    }
    std::printf("%d\n", *patch);
    return 0;
}

using Clock = std::chrono::steady_clock;

// Prints each notification as it comes and remembers whether the chip left and something came.
class NotificationLog final : public DeviceChangeSink {
public:
    NotificationLog(const char* kind, std::string chipPath, Clock::time_point start)
        : kind_(kind), chipPath_(std::move(chipPath)), start_(start) {}

    void deviceChanged(const DeviceChange& change) override {
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        std::printf("%8.3f %s event %04x type %u handle 0x%llx %s\n", seconds, kind_,
                    static_cast<unsigned>(change.eventType),
                    static_cast<unsigned>(change.deviceType),
                    static_cast<unsigned long long>(change.handle), change.devicePath.c_str());
        std::fflush(stdout);
        if (change.eventType == DBT_DEVICEREMOVECOMPLETE &&
            (change.deviceType == DBT_DEVTYP_HANDLE ||
             _stricmp(change.devicePath.c_str(), chipPath_.c_str()) == 0)) {
            removed = true;
        }
        if (change.eventType == DBT_DEVICEARRIVAL) {
            arrived = true;
        }
    }

    bool removed = false;
    bool arrived = false;

private:
    const char* kind_;
    std::string chipPath_;
    Clock::time_point start_;
};

// Lets the thread's messages be dispatched the way the program's console does, for `span`.
void pumpFor(ConsoleInput& input, Clock::duration span, const std::function<bool()>& done) {
    const auto end = Clock::now() + span;
    while (Clock::now() < end && !done()) {
        input.wait(std::chrono::duration_cast<std::chrono::nanoseconds>(end - Clock::now()));
    }
}

int watch(const std::string& id, bool handles, int settleMs) {
    const auto start = Clock::now();
    Win32HidBackend* routed = nullptr;
    NotificationWindow window([&routed](const DeviceChange& change) {
        if (routed == nullptr || !routed->deliver(change)) {
            std::printf("unrouted event %04x type %u\n", static_cast<unsigned>(change.eventType),
                        static_cast<unsigned>(change.deviceType));
        }
    });
    Win32HidBackend backend(window.handle());
    routed = &backend;
    const auto chip = find(backend, id, kChipPage);
    if (!chip) {
        return fail("no collection on page ff00 of " + id);
    }
    NotificationLog interfaceLog("interface", chip->path, start);
    NotificationLog handleLog("handle", chip->path, start);
    const auto stamp = [&start](const char* what) {
        std::printf("%8.3f %s\n", std::chrono::duration<double>(Clock::now() - start).count(),
                    what);
        std::fflush(stdout);
    };
    stamp("found; registering");
    backend.registerInterfaceNotifications(&interfaceLog);
    const HidHandle handle = backend.open(chip->path);
    if (handle == 0) {
        return fail("cannot open " + chip->path);
    }
    if (handles && backend.registerHandleNotification(handle, &handleLog) == 0) {
        return fail("the handle's notifications were refused");
    }
    const auto input = openConsoleInput();
    stamp("registered; waiting");
    pumpFor(*input, std::chrono::milliseconds(settleMs), [] { return false; });
    stamp("bootloader entry");
    ByteVector request = kBootloaderEntry;
    request.resize(chip->caps.FeatureReportByteLength, 0);
    const HidTransfer sent = backend.setFeature(handle, request);
    std::printf("%8.3f the entry was %s %s\n",
                std::chrono::duration<double>(Clock::now() - start).count(),
                sent.accepted ? "accepted" : "refused:", sent.errorText.c_str());
    std::fflush(stdout);
    // Reads stay pending on the chip as it leaves, each shorter than the time the system gives a
    // notification before it drops it, with the messages dispatched between them.
    constexpr auto kReadWait = std::chrono::milliseconds(1500);
    bool readEndedByLeaving = false;
    const auto readsUntil = Clock::now() + std::chrono::seconds(20);
    while (!readEndedByLeaving && Clock::now() < readsUntil) {
        const auto readStart = Clock::now();
        const auto report = backend.readInputReport(handle, chip->caps.InputReportByteLength,
                                                    static_cast<std::uint32_t>(kReadWait.count()));
        const auto took = Clock::now() - readStart;
        if (!report && took < kReadWait - std::chrono::milliseconds(200)) {
            readEndedByLeaving = true;
            std::printf("%8.3f the pending read ended after %.3f s\n",
                        std::chrono::duration<double>(Clock::now() - start).count(),
                        std::chrono::duration<double>(took).count());
            std::fflush(stdout);
        }
        pumpFor(*input, std::chrono::milliseconds(10), [] { return false; });
    }
    pumpFor(*input, std::chrono::seconds(60),
            [&] { return (interfaceLog.removed || handleLog.removed) && interfaceLog.arrived; });
    backend.close(handle);
    backend.registerInterfaceNotifications(nullptr);
    // Whether the system's view moved on even where no notification told of it.
    stamp("the system's view now:");
    list(backend);
    if (!readEndedByLeaving) {
        return fail("no read pending as the chip left was ended by its leaving");
    }
    if (!interfaceLog.removed && !handleLog.removed) {
        return fail("no removal was notified");
    }
    if (!interfaceLog.arrived) {
        return fail("no arrival was notified");
    }
    return 0;
}

}  // namespace
}  // namespace zeltor::guest

int main(int argc, char** argv) {
    using namespace zeltor::guest;
    const std::vector<std::string> args(argv + 1, argv + argc);
    zeltor::Win32HidBackend backend(HWND{});
    if (args.size() == 1 && args[0] == "list") {
        return list(backend);
    }
    if (args.size() == 2 && args[0] == "version") {
        return version(backend, args[1]);
    }
    if (args.size() == 2 && args[0] == "mcu-version") {
        return mcuVersion(backend, args[1]);
    }
    if (args.size() >= 2 && args.size() <= 4 && args[0] == "watch") {
        const bool handles = args.size() >= 3 && args[2] == "handle";
        const int settleMs = args.size() == 4 ? std::atoi(args[3].c_str()) : 1500;
        return watch(args[1], handles, settleMs);
    }
    std::fprintf(stderr,
                 "usage: win32_hid_check list | version VID:PID | mcu-version VID:PID |\n"
                 "                       watch VID:PID [handle] [SETTLE_MS]\n");
    return kUsage;
}
