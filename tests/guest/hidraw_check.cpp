// Looks at hidraw nodes as any program on the system could, through the raw hidraw calls and
// udev: which nodes there are and what they carry, what a device answers, and how it leaves
// and comes back. The guest tests run it against the devices of the uhid bridge.
//
//   hidraw_check list
//   hidraw_check probe                               the interfaces the program's backend sees
//   hidraw_check wait VID:PID [COUNT [TIMEOUT_MS]]   exactly COUNT (1) nodes of that id, openable
//   hidraw_check version NODE                        the wireless chip's version text
//   hidraw_check mcu-version NODE                    the MCU's patch version
//   hidraw_check reenumerate NODE VID:PID DELAY_MS   bootloader entry: NODE leaves, VID:PID
//                                                    arrives about DELAY_MS later
//   hidraw_check open NODE                           exit 3 when the open is refused (EACCES)
#include <fcntl.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "device_bytes.h"
#include "hid/report_descriptor.h"
#include "platform/linux/hidraw_backend_linux.h"
#include "platform/linux/udev_devices_linux.h"
#include "platform/linux/udev_monitor_linux.h"
#include "raw_hidraw.h"

namespace zeltor::guest {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kUsage = 2;
constexpr int kRefused = 3;

int fail(const std::string& why) {
    std::fprintf(stderr, "hidraw_check: %s\n", why.c_str());
    return 1;
}

bool parseId(const std::string& text, unsigned& vendor, unsigned& product) {
    return std::sscanf(text.c_str(), "%4x:%4x", &vendor, &product) == 2;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

struct NodeView {
    std::string line;  // "/dev/hidraw0 2f5a:5c1a ff00:64/64/263"
    unsigned vendor = 0;
    unsigned product = 0;
    ReportDescriptor descriptor;
};

// What the node shows through its raw calls; nothing, with `why`, when it cannot be read.
std::optional<NodeView> viewOf(const std::string& node, std::string& why) {
    RawHidraw raw(node, O_RDONLY);
    NodeView view;
    unsigned bus = 0;
    std::optional<ByteVector> bytes;
    if (!raw.isOpen() || !raw.info(bus, view.vendor, view.product) || !(bytes = raw.descriptor())) {
        why = raw.error();
        return std::nullopt;
    }
    view.descriptor = parseReportDescriptor(*bytes);
    view.line = node + " " + hex4(view.vendor) + ":" + hex4(view.product);
    if (!view.descriptor.ok()) {
        view.line += " refused(" + view.descriptor.failure + ")";
    }
    for (std::size_t i = 0; i < view.descriptor.collections.size(); ++i) {
        const HidCaps& caps = view.descriptor.collections[i].caps;
        view.line += (i == 0 ? " " : ",") + hex4(caps.UsagePage) + ":" +
                     std::to_string(caps.InputReportByteLength) + "/" +
                     std::to_string(caps.OutputReportByteLength) + "/" +
                     std::to_string(caps.FeatureReportByteLength);
    }
    return view;
}

const HidCaps* collectionOnPage(const NodeView& view, std::uint16_t page) {
    for (const ReportCollection& collection : view.descriptor.collections) {
        if (collection.caps.UsagePage == page) {
            return &collection.caps;
        }
    }
    return nullptr;
}

int list() {
    for (const UdevHidrawNode& node : UdevDevices().hidrawNodes()) {
        std::string why;
        const auto view = viewOf(node.node, why);
        std::printf("%s\n", view ? view->line.c_str() : why.c_str());
    }
    return 0;
}

// The program's own HID backend beside the raw view: the paths it gives and what it probes.
int probe() {
    HidrawBackend backend([](std::function<void()>) {});
    for (const std::string& path : backend.enumerateInterfaces()) {
        HidAttributes attributes;
        HidCaps caps;
        if (!backend.probe(path, attributes, caps)) {
            std::printf("%s probe failed\n", path.c_str());
            continue;
        }
        std::printf("%s %s:%s usage %s:%s lengths %u/%u/%u\n", path.c_str(),
                    hex4(attributes.VendorID).c_str(), hex4(attributes.ProductID).c_str(),
                    hex4(caps.UsagePage).c_str(), hex4(caps.Usage).c_str(),
                    caps.InputReportByteLength, caps.OutputReportByteLength,
                    caps.FeatureReportByteLength);
    }
    return 0;
}

int wait(const std::string& id, int count, int timeoutMs) {
    unsigned vendor = 0;
    unsigned product = 0;
    if (!parseId(id, vendor, product)) {
        return fail("not a VID:PID: " + id);
    }
    const UdevDevices udev;
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    std::vector<std::string> lines;
    for (;;) {
        lines.clear();
        std::string why;
        for (const UdevHidrawNode& node : udev.hidrawNodes()) {
            if (!node.id || node.id->vendorId != vendor || node.id->productId != product) {
                continue;
            }
            // The node may be listed a moment before its file can be opened.
            const auto view = viewOf(node.node, why);
            lines.push_back(view ? view->line : why);
        }
        if (static_cast<int>(lines.size()) == count && why.empty()) {
            break;
        }
        if (Clock::now() > deadline) {
            for (const std::string& line : lines) {
                std::fprintf(stderr, "  %s\n", line.c_str());
            }
            return fail("not " + std::to_string(count) + " openable node(s) of " + id + " within " +
                        std::to_string(timeoutMs) + " ms but " + std::to_string(lines.size()));
        }
        std::this_thread::sleep_for(milliseconds(20));
    }
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int version(const std::string& node) {
    std::string why;
    const auto view = viewOf(node, why);
    const HidCaps* chip = view ? collectionOnPage(*view, kChipPage) : nullptr;
    if (chip == nullptr) {
        return fail(view ? node + " has no collection on page ff00" : why);
    }
    RawHidraw raw(node, O_RDWR);
    if (!raw.isOpen() || !raw.setFeature(kVersionRequest)) {
        return fail(raw.error());
    }
    std::this_thread::sleep_for(kVersionPause);
    const auto answer = raw.getFeature(kChipReportId, chip->FeatureReportByteLength);
    if (!answer) {
        return fail(raw.error());
    }
    const auto text = chipVersionText(*answer);
    if (!text) {
        return fail("the answer has " + std::to_string(answer->size()) + " bytes");
    }
    std::printf("%s\n", text->c_str());
    return 0;
}

int mcuVersion(const std::string& node) {
    RawHidraw raw(node, O_RDWR);
    if (!raw.isOpen() || !raw.write(kMcuVersionRequest)) {
        return fail(raw.error());
    }
    // Reports of other ids may come first; the answer repeats the request before the patch.
    const auto deadline = Clock::now() + milliseconds(1000);
    while (Clock::now() < deadline) {
        const auto report = raw.read(100);
        if (!report && !raw.error().empty()) {
            return fail(raw.error());
        }
        if (const auto patch = report ? mcuPatch(*report) : std::nullopt) {
            std::printf("%d\n", *patch);
            return 0;
        }
    }
    return fail("no answer to the MCU version request within 1000 ms");
}

int reenumerate(const std::string& node, const std::string& id, int delayMs) {
    unsigned vendor = 0;
    unsigned product = 0;
    if (!parseId(id, vendor, product)) {
        return fail("not a VID:PID: " + id);
    }
    const UdevDevices udev;
    UdevHidrawMonitor monitor(udev.context());
    if (monitor.fd() < 0) {
        return fail("no udev monitor");
    }
    {
        RawHidraw raw(node, O_RDWR);
        if (!raw.isOpen()) {
            return fail(raw.error());
        }
        // A device that leaves on a command may be gone before the kernel hands its answer to
        // the caller, which then sees EIO (the real chips' reset ends the same way): whether
        // the command took is told by the node leaving.
        if (!raw.setFeature(kBootloaderEntry) &&
            raw.error().find("(errno 5)") == std::string::npos) {
            return fail(raw.error());
        }
    }
    const auto start = Clock::now();
    const auto since = [&start] {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    };
    long removed = -1;
    long added = -1;
    std::string newNode;
    while (added < 0 && since() < delayMs + 10000) {
        pollfd ready{monitor.fd(), POLLIN, 0};
        poll(&ready, 1, 100);
        for (const UdevHidrawEvent& event : monitor.drain()) {
            if (event.action == UdevHidrawEvent::Action::Removed && event.node == node) {
                removed = since();
            }
            const auto identity = event.action == UdevHidrawEvent::Action::Added
                                      ? udev.identityOfNode(event.node)
                                      : std::nullopt;
            if (removed >= 0 && identity && identity->vendorId == vendor &&
                identity->productId == product) {
                added = since();
                newNode = event.node;
            }
        }
    }
    if (removed < 0) {
        return fail(node + " was not removed within " + std::to_string(since()) + " ms");
    }
    if (added < 0) {
        return fail(node + " removed after " + std::to_string(removed) + " ms, but no " + id +
                    " arrived");
    }
    const long away = added - removed;
    std::printf("%s removed after %ld ms; %s arrived as %s after %ld ms, away %ld ms\n",
                node.c_str(), removed, id.c_str(), newNode.c_str(), added, away);
    // The device is away for its delay; udev's work on both events and a slow guest add a
    // little, and nothing may bring it back early.
    if (away < delayMs - 100 || away > delayMs + 3000) {
        return fail("away " + std::to_string(away) + " ms, not about " + std::to_string(delayMs));
    }
    return 0;
}

int openNode(const std::string& node) {
    RawHidraw raw(node, O_RDWR);
    if (raw.isOpen()) {
        std::printf("%s opened\n", node.c_str());
        return 0;
    }
    std::printf("%s\n", raw.error().c_str());
    return raw.openErrno() == EACCES ? kRefused : 1;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: hidraw_check list | probe | wait VID:PID [COUNT [TIMEOUT_MS]] | version NODE |\n"
        "       mcu-version NODE | reenumerate NODE VID:PID DELAY_MS | open NODE\n");
    return kUsage;
}

}  // namespace
}  // namespace zeltor::guest

int main(int argc, char** argv) {
    using namespace zeltor::guest;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string command = args.empty() ? "" : args[0];
    const std::size_t count = args.size();
    if (command == "probe" && count == 1) {
        return probe();
    }
    if (command == "list" && count == 1) {
        return list();
    }
    if (command == "wait" && count >= 2 && count <= 4) {
        return wait(args[1], count > 2 ? std::atoi(args[2].c_str()) : 1,
                    count > 3 ? std::atoi(args[3].c_str()) : 10000);
    }
    if (command == "version" && count == 2) {
        return version(args[1]);
    }
    if (command == "mcu-version" && count == 2) {
        return mcuVersion(args[1]);
    }
    if (command == "reenumerate" && count == 4) {
        return reenumerate(args[1], args[2], std::atoi(args[3].c_str()));
    }
    if (command == "open" && count == 2) {
        return openNode(args[1]);
    }
    return usage();
}
