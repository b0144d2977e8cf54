// Drives the Windows program's HID backend against the bridged devices, under Wine in the guest:
// what it enumerates and probes, a chip's version through feature reports, and the MCU's
// version through output and input reports after a read that timed out and was cancelled.
//
//   win32_hid_check list                 every interface with its identity and report lengths
//   win32_hid_check version VID:PID      the wireless chip's version text
//   win32_hid_check mcu-version VID:PID  the MCU's patch, after a read left to time out
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "device_bytes.h"
#include "platform/win32/hid_backend_win32.h"

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

}  // namespace
}  // namespace zeltor::guest

int main(int argc, char** argv) {
    using namespace zeltor::guest;
    const std::vector<std::string> args(argv + 1, argv + argc);
    zeltor::Win32HidBackend backend(nullptr);
    if (args.size() == 1 && args[0] == "list") {
        return list(backend);
    }
    if (args.size() == 2 && args[0] == "version") {
        return version(backend, args[1]);
    }
    if (args.size() == 2 && args[0] == "mcu-version") {
        return mcuVersion(backend, args[1]);
    }
    std::fprintf(stderr, "usage: win32_hid_check list | version VID:PID | mcu-version VID:PID\n");
    return kUsage;
}
