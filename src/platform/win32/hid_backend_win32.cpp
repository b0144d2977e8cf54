#include "platform/win32/hid_backend_win32.h"

#include <dbt.h>
#include <setupapi.h>

// The HID headers declare C functions without saying so; hidsdi.h brings the parser's.
extern "C" {
#include <hidsdi.h>
}

#include <cstddef>
#include <utility>

#include "base/text.h"
#include "platform/win32/system_error_win32.h"
#include "platform/win32/wide_text_win32.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

// How long a cancelled transfer may take to come back. The HID class driver completes a
// cancelled request at once; one that does not is left to its buffer (see Transfer::settle).
constexpr DWORD kCancelWaitMs = 5000;

HANDLE fileOf(HidHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

HidTransfer refusal(DWORD error) {
    return {false, error, systemErrorText(error)};
}

// The device path of one interface of the set; empty when its detail record cannot be read.
std::string interfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& item) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return {};
    }
    // Zeroed, and aligned for the record's fixed part.
    std::vector<std::max_align_t> buffer((size + sizeof(std::max_align_t) - 1) /
                                         sizeof(std::max_align_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiGetDeviceInterfaceDetailW(set, &item, detail, size, nullptr, &device)) {
        return {};
    }
    return utf16ToUtf8(reinterpret_cast<const char16_t*>(detail->DevicePath));
}

}  // namespace

// One overlapped transfer direction of an open collection: its record, completion event and
// buffer, and whether the system may still be using them.
class Win32HidBackend::Transfer {
public:
    // Auto-reset and not signalled: each completion is waited for once.
    Transfer() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~Transfer() {
        if (event_ != nullptr) {
            CloseHandle(event_);
        }
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Starts a write of `bytes` or a read of `length` bytes; false with the system's error when
    // the transfer neither completed nor is pending.
    bool startWrite(HANDLE file, const ByteVector& bytes, DWORD& error) {
        buffer_ = bytes;
        prepare();
        return started(
            WriteFile(file, buffer_.data(), static_cast<DWORD>(buffer_.size()), nullptr, &record_),
            error);
    }
    bool startRead(HANDLE file, std::size_t length, DWORD& error) {
        buffer_.assign(length, 0);
        prepare();
        return started(
            ReadFile(file, buffer_.data(), static_cast<DWORD>(buffer_.size()), nullptr, &record_),
            error);
    }

    // Waits for the transfer's completion at most `timeoutMs`; true when it completed.
    bool wait(DWORD timeoutMs) const {
        return WaitForSingleObject(event_, timeoutMs) == WAIT_OBJECT_0;
    }

    // The outcome of a completed transfer, fetched without waiting.
    bool finished(HANDLE file) {
        DWORD count = 0;
        const bool done = GetOverlappedResult(file, &record_, &count, FALSE) != FALSE;
        if (done || GetLastError() != ERROR_IO_INCOMPLETE) {
            pending_ = false;
        }
        return done;
    }

    // After the handle's transfers were cancelled: waits until the system has let go of the
    // record and buffer. False when it has not within the bound; the transfer must then be kept
    // alive, never reused.
    bool settle(HANDLE file) {
        if (!pending_) {
            return true;
        }
        if (!HasOverlappedIoCompleted(&record_)) {
            WaitForSingleObject(event_, kCancelWaitMs);
        }
        if (!HasOverlappedIoCompleted(&record_)) {
            return false;
        }
        finished(file);
        pending_ = false;
        return true;
    }

    bool pending() const { return pending_; }
    const ByteVector& buffer() const { return buffer_; }

private:
    void prepare() {
        record_ = OVERLAPPED{};
        record_.hEvent = event_;
    }
    bool started(BOOL result, DWORD& error) {
        if (result || GetLastError() == ERROR_IO_PENDING) {
            pending_ = true;
            return true;
        }
        error = GetLastError();
        pending_ = false;
        return false;
    }

    HANDLE event_;
    OVERLAPPED record_{};
    ByteVector buffer_;
    bool pending_ = false;
};

struct Win32HidBackend::Device {
    explicit Device(HANDLE file) : file(file) {}

    HANDLE file;
    Transfer read;
    Transfer write;
    // A cancelled transfer the system has not let go of: the device takes no more transfers,
    // and its memory outlives its handle.
    bool stuck = false;
};

Win32HidBackend::Win32HidBackend(HWND window) : window_([window] { return window; }) {}

Win32HidBackend::Win32HidBackend(std::function<HWND()> window) : window_(std::move(window)) {}

HWND Win32HidBackend::notificationWindow(const char* what) const {
    const HWND window = window_();
    if (window == nullptr) {
        Trace("%s cannot be watched: there is no window for device notifications\n", what);
    }
    return window;
}

Win32HidBackend::~Win32HidBackend() {
    registerInterfaceNotifications(nullptr);
    while (!devices_.empty()) {
        close(devices_.begin()->first);
    }
}

Win32HidBackend::Device* Win32HidBackend::deviceOf(HidHandle handle) {
    const auto it = devices_.find(handle);
    return it == devices_.end() || it->second->stuck ? nullptr : it->second.get();
}

bool Win32HidBackend::cancelOutstanding(Device& device) {
    if (!device.read.pending() && !device.write.pending()) {
        return true;
    }
    CancelIoEx(device.file, nullptr);
    const bool readSettled = device.read.settle(device.file);
    const bool writeSettled = device.write.settle(device.file);
    if (!readSettled || !writeSettled) {
        device.stuck = true;
        Trace("A cancelled transfer of handle 0x%llx did not come back within %lu ms\n",
              static_cast<unsigned long long>(reinterpret_cast<HidHandle>(device.file)),
              kCancelWaitMs);
    }
    return !device.stuck;
}

std::vector<std::string> Win32HidBackend::enumerateInterfaces() {
    std::vector<std::string> paths;
    GUID hidClass;
    HidD_GetHidGuid(&hidClass);
    const HDEVINFO set =
        SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return paths;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA item{};
        item.cbSize = sizeof item;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &item)) {
            const DWORD error = GetLastError();
            if (error != ERROR_NO_MORE_ITEMS) {
                Trace("The HID interface walk ended at %lu: %s (error %lu)\n", index,
                      systemErrorText(error).c_str(), error);
            }
            break;
        }
        std::string path = interfacePath(set, item);
        if (!path.empty()) {
            paths.push_back(std::move(path));
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return paths;
}

bool Win32HidBackend::deliver(const DeviceChange& change) {
    if (change.deviceType == DBT_DEVTYP_DEVICEINTERFACE && interfaceSink_ != nullptr) {
        if (!repeats_.isRepeat(change)) {
            interfaceSink_->deviceChanged(change);
        }
        return true;
    }
    if (change.deviceType != DBT_DEVTYP_HANDLE) {
        return false;
    }
    // A sink may unregister while it handles the change: the list is taken first.
    std::vector<DeviceChangeSink*> sinks;
    for (const auto& [registration, entry] : handleRegistrations_) {
        if (entry.handle == change.handle) {
            sinks.push_back(entry.sink);
        }
    }
    for (DeviceChangeSink* sink : sinks) {
        sink->deviceChanged(change);
    }
    return !sinks.empty();
}

void Win32HidBackend::registerInterfaceNotifications(DeviceChangeSink* sink) {
    interfaceSink_ = sink;
    if (sink == nullptr) {
        if (interfaceRegistration_ != nullptr) {
            UnregisterDeviceNotification(interfaceRegistration_);
            interfaceRegistration_ = nullptr;
        }
        return;
    }
    if (interfaceRegistration_ != nullptr) {
        return;
    }
    const HWND window = notificationWindow("HID arrivals and removals");
    if (window == nullptr) {
        return;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HidD_GetHidGuid(&filter.dbcc_classguid);
    interfaceRegistration_ =
        RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (interfaceRegistration_ == nullptr) {
        const DWORD error = GetLastError();
        Trace("HID arrivals and removals cannot be watched: %s (error %lu)\n",
              systemErrorText(error).c_str(), error);
    }
}

bool Win32HidBackend::probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) {
    attributes = {};
    caps = {};
    const HANDLE file =
        CreateFileW(wideText(utf8ToUtf16(path)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool identified = true;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (HidD_GetPreparsedData(file, &preparsed)) {
        HIDD_ATTRIBUTES platformAttributes{};
        platformAttributes.Size = sizeof platformAttributes;
        HIDP_CAPS platformCaps{};
        identified = HidD_GetAttributes(file, &platformAttributes) &&
                     HidP_GetCaps(preparsed, &platformCaps) == HIDP_STATUS_SUCCESS;
        HidD_FreePreparsedData(preparsed);
        if (identified) {
            attributes.Size = platformAttributes.Size;
            attributes.VendorID = platformAttributes.VendorID;
            attributes.ProductID = platformAttributes.ProductID;
            attributes.VersionNumber = platformAttributes.VersionNumber;
            caps.Usage = platformCaps.Usage;
            caps.UsagePage = platformCaps.UsagePage;
            caps.InputReportByteLength = platformCaps.InputReportByteLength;
            caps.OutputReportByteLength = platformCaps.OutputReportByteLength;
            caps.FeatureReportByteLength = platformCaps.FeatureReportByteLength;
        }
    }
    CloseHandle(file);
    return identified;
}

HidHandle Win32HidBackend::open(const std::string& path) {
    const HANDLE file = CreateFileW(wideText(utf8ToUtf16(path)), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Trace("Cannot open %s: %s (error %lu)\n", path.c_str(), systemErrorText(error).c_str(),
              error);
        return 0;
    }
    // The handle's value is its identity: the system names it in the device's removal events.
    const HidHandle handle = reinterpret_cast<HidHandle>(file);
    devices_[handle] = std::make_unique<Device>(file);
    return handle;
}

void Win32HidBackend::close(HidHandle handle) {
    const auto it = devices_.find(handle);
    if (it == devices_.end()) {
        return;
    }
    std::unique_ptr<Device> device = std::move(it->second);
    devices_.erase(it);
    const bool settled = cancelOutstanding(*device);
    CloseHandle(device->file);
    if (!settled) {
        // The system may still write into a record or buffer of this device: they stay.
        static_cast<void>(device.release());
    }
}

HidRegistration Win32HidBackend::registerHandleNotification(HidHandle handle,
                                                            DeviceChangeSink* sink) {
    if (deviceOf(handle) == nullptr) {
        return 0;
    }
    const HWND window = notificationWindow("The removal of an open device");
    if (window == nullptr) {
        return 0;
    }
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof filter;
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = fileOf(handle);
    const HDEVNOTIFY registration =
        RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (registration == nullptr) {
        const DWORD error = GetLastError();
        Trace("The removal of handle 0x%llx cannot be watched: %s (error %lu)\n",
              static_cast<unsigned long long>(handle), systemErrorText(error).c_str(), error);
    }
    const auto id = reinterpret_cast<HidRegistration>(registration);
    if (id != 0) {
        handleRegistrations_[id] = {handle, sink};
    }
    return id;
}

void Win32HidBackend::unregisterHandleNotification(HidRegistration registration) {
    if (registration != 0) {
        handleRegistrations_.erase(registration);
        UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(registration));
    }
}

HidTransfer Win32HidBackend::writeOutputReport(HidHandle handle, const ByteVector& report,
                                               std::uint32_t timeoutMs) {
    Device* device = deviceOf(handle);
    if (device == nullptr) {
        return refusal(ERROR_INVALID_HANDLE);
    }
    // The record of a write still under way is not reused: that write is given up first.
    if (device->write.pending() && !device->write.finished(device->file) &&
        !cancelOutstanding(*device)) {
        return refusal(ERROR_BUSY);
    }
    DWORD error = 0;
    if (!device->write.startWrite(device->file, report, error)) {
        cancelOutstanding(*device);
        return refusal(error);
    }
    if (device->write.wait(timeoutMs)) {
        device->write.finished(device->file);
    }
    return {true, 0};
}

std::optional<ByteVector> Win32HidBackend::readInputReport(HidHandle handle, std::size_t length,
                                                           std::uint32_t timeoutMs) {
    Device* device = deviceOf(handle);
    if (device == nullptr) {
        return std::nullopt;
    }
    DWORD error = 0;
    if (!device->read.startRead(device->file, length, error)) {
        cancelOutstanding(*device);
        return std::nullopt;
    }
    if (!device->read.wait(timeoutMs)) {
        cancelOutstanding(*device);
        return std::nullopt;
    }
    if (!device->read.finished(device->file)) {
        return std::nullopt;
    }
    return device->read.buffer();
}

HidTransfer Win32HidBackend::setFeature(HidHandle handle, const ByteVector& report) {
    Device* device = deviceOf(handle);
    if (device == nullptr) {
        return refusal(ERROR_INVALID_HANDLE);
    }
    ByteVector buffer = report;
    if (!HidD_SetFeature(device->file, buffer.data(), static_cast<ULONG>(buffer.size()))) {
        return refusal(GetLastError());
    }
    return {true, 0};
}

bool Win32HidBackend::getFeature(HidHandle handle, ByteVector& report) {
    Device* device = deviceOf(handle);
    return device != nullptr &&
           HidD_GetFeature(device->file, report.data(), static_cast<ULONG>(report.size()));
}

}  // namespace zeltor
