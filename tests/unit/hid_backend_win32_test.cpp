#include "platform/win32/hid_backend_win32.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <dbt.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/device_change_win32.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

// A named pipe stands in for a collection's file: the backend's transfers are the platform's
// overlapped reads and writes on whatever the path opens, and a pipe lets the test decide when
// each one completes. Its server end is the device.
class PipeDevice {
public:
    PipeDevice()
        : name_("\\\\.\\pipe\\zeltor-hid-backend-test-" + std::to_string(GetCurrentProcessId())),
          server_(CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 64, 64,
                                   0, nullptr)) {}
    ~PipeDevice() {
        if (server_ != INVALID_HANDLE_VALUE) {
            CloseHandle(server_);
        }
    }

    const std::string& path() const { return name_; }
    bool made() const { return server_ != INVALID_HANDLE_VALUE; }

    // The device sends one report to whoever reads.
    bool send(const ByteVector& report) {
        DWORD written = 0;
        return WriteFile(server_, report.data(), static_cast<DWORD>(report.size()), &written,
                         nullptr) &&
               written == report.size();
    }
    // The next report the device received.
    ByteVector receive(std::size_t length) {
        ByteVector report(length);
        DWORD count = 0;
        if (!ReadFile(server_, report.data(), static_cast<DWORD>(length), &count, nullptr)) {
            return {};
        }
        report.resize(count);
        return report;
    }

private:
    std::string name_;
    HANDLE server_;
};

class Win32HidBackendTest : public ::testing::Test {
protected:
    test::TraceCapture trace_;
    Win32HidBackend backend_{nullptr};
};

TEST_F(Win32HidBackendTest, APathThatOpensNothingIsNeitherProbedNorOpened) {
    const std::string missing = "\\\\?\\hid#vid_2f5a&pid_5c1a#no-such-device";
    HidAttributes attributes;
    attributes.VendorID = 0x1234;
    HidCaps caps;
    caps.UsagePage = 0xFF00;
    EXPECT_FALSE(backend_.probe(missing, attributes, caps));
    EXPECT_EQ(attributes.VendorID, 0);
    EXPECT_EQ(caps.UsagePage, 0);
    EXPECT_EQ(backend_.open(missing), 0U);
    // The system's words differ between its versions; the line names the path and the code.
    const auto& lines = trace_.messages();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&missing](const std::string& line) {
        return line.rfind("Cannot open " + missing + ": ", 0) == 0 &&
               line.find(" (error ") != std::string::npos;
    })) << ::testing::PrintToString(lines);
}

// A device that opens but cannot give its descriptor (no preparsed data) is there, with nothing
// known of it: the role tests then pass it by, and the walk goes on.
TEST_F(Win32HidBackendTest, ADeviceWhoseDescriptorCannotBeReadIsThereWithNothingKnown) {
    PipeDevice device;
    ASSERT_TRUE(device.made());
    HidAttributes attributes;
    attributes.VendorID = 0x2F5A;
    HidCaps caps;
    caps.UsagePage = 0xFF00;
    caps.FeatureReportByteLength = 263;
    EXPECT_TRUE(backend_.probe(device.path(), attributes, caps));
    EXPECT_EQ(attributes.Size, 0U);
    EXPECT_EQ(attributes.VendorID, 0);
    EXPECT_EQ(caps.UsagePage, 0);
    EXPECT_EQ(caps.FeatureReportByteLength, 0);
}

TEST_F(Win32HidBackendTest, AHandleThatIsNotOpenRefusesEveryTransfer) {
    const HidHandle none = 0x1234;
    const HidTransfer written = backend_.writeOutputReport(none, {0x06, 0x01}, 10);
    EXPECT_FALSE(written.accepted);
    EXPECT_EQ(written.errorCode, static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(written.errorText.empty());
    EXPECT_FALSE(backend_.readInputReport(none, 64, 10).has_value());
    EXPECT_FALSE(backend_.setFeature(none, {0xFF, 0x01}).accepted);
    ByteVector report{0xFF, 0x00};
    EXPECT_FALSE(backend_.getFeature(none, report));
    EXPECT_EQ(backend_.registerHandleNotification(none, nullptr), 0U);
    backend_.close(none);  // nothing to close
}

TEST_F(Win32HidBackendTest, AReadThatTimesOutIsCancelledAndTheNextReadGetsTheNextReport) {
    PipeDevice device;
    ASSERT_TRUE(device.made());
    const HidHandle handle = backend_.open(device.path());
    ASSERT_NE(handle, 0U);

    // Nothing sent: the read waits its bound, then is given up.
    EXPECT_FALSE(backend_.readInputReport(handle, 8, 20).has_value());
    // A cancelled read takes nothing: the report sent after it reaches the next read whole.
    const ByteVector report{0x06, 0x88, 0x07, 0x00, 0x12, 0x00, 0x00, 0x00};
    ASSERT_TRUE(device.send(report));
    EXPECT_EQ(backend_.readInputReport(handle, 8, 1000), report);
    backend_.close(handle);
}

TEST_F(Win32HidBackendTest, WritesReachTheDeviceWholeAndInOrder) {
    PipeDevice device;
    ASSERT_TRUE(device.made());
    const HidHandle handle = backend_.open(device.path());
    ASSERT_NE(handle, 0U);
    const ByteVector first{0x06, 0x88, 0x01, 0x00};
    const ByteVector second{0x06, 0x88, 0x02, 0x00};
    EXPECT_TRUE(backend_.writeOutputReport(handle, first, 1000).accepted);
    EXPECT_TRUE(backend_.writeOutputReport(handle, second, 1000).accepted);
    EXPECT_EQ(device.receive(64), first);
    EXPECT_EQ(device.receive(64), second);
    backend_.close(handle);
}

TEST_F(Win32HidBackendTest, AWriteStillUnderWayIsGivenUpBeforeTheNextOneAndAtClose) {
    PipeDevice device;
    ASSERT_TRUE(device.made());
    const HidHandle handle = backend_.open(device.path());
    ASSERT_NE(handle, 0U);
    // Larger than the pipe's buffer, with nobody reading: the write stays under way after its
    // wait, and still counts as sent.
    const ByteVector large(4096, 0xAB);
    EXPECT_TRUE(backend_.writeOutputReport(handle, large, 20).accepted);
    // The next write does not reuse the record of the one under way.
    EXPECT_TRUE(backend_.writeOutputReport(handle, large, 20).accepted);
    // Closing with a write under way cancels it and waits for it first.
    backend_.close(handle);
    EXPECT_FALSE(trace_.contains("did not come back"));
}

TEST_F(Win32HidBackendTest, EveryInterfaceOfTheSystemIsProbedWithoutHarm) {
    // Whatever HID collections this system has (none, or the platform's own virtual ones):
    // each path is a device interface path and probes or refuses cleanly.
    for (const std::string& path : backend_.enumerateInterfaces()) {
        EXPECT_EQ(path.rfind("\\\\?\\", 0), 0U) << path;
        HidAttributes attributes;
        HidCaps caps;
        if (backend_.probe(path, attributes, caps) && attributes.Size == 0) {
            // Probed without a descriptor: zero values that match no role.
            EXPECT_EQ(caps.UsagePage, 0) << path;
        }
    }
}

struct RecordingSink : DeviceChangeSink {
    void deviceChanged(const DeviceChange& change) override { changes.push_back(change); }
    std::vector<DeviceChange> changes;
};

TEST_F(Win32HidBackendTest, DeviceChangeMessagesAreReadAndGoToTheInterfaceSink) {
    // The system's interface header, with the path after its fixed part.
    const std::wstring path = L"\\\\?\\hid#vid_2f5a&pid_5c1a#7&1b7e2a90&0&0000#{guid}";
    std::vector<BYTE> message(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * 2);
    auto* item = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(message.data());
    item->dbcc_size = static_cast<DWORD>(message.size());
    item->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::copy(path.begin(), path.end(), item->dbcc_name);
    const DeviceChange arrival =
        deviceChangeOfMessage(DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(message.data()));
    EXPECT_EQ(arrival.eventType, 0x8000U);
    EXPECT_TRUE(arrival.hasHeader);
    EXPECT_EQ(arrival.deviceType, 5U);
    EXPECT_EQ(arrival.devicePath, "\\\\?\\hid#vid_2f5a&pid_5c1a#7&1b7e2a90&0&0000#{guid}");

    DEV_BROADCAST_HANDLE handle{};
    handle.dbch_size = sizeof handle;
    handle.dbch_devicetype = DBT_DEVTYP_HANDLE;
    handle.dbch_handle = reinterpret_cast<HANDLE>(0x1234);
    const DeviceChange query =
        deviceChangeOfMessage(DBT_DEVICEQUERYREMOVE, reinterpret_cast<LPARAM>(&handle));
    EXPECT_EQ(query.eventType, 0x8001U);
    EXPECT_EQ(query.deviceType, 6U);
    EXPECT_EQ(query.handle, 0x1234U);
    EXPECT_FALSE(deviceChangeOfMessage(0x0007, 0).hasHeader);  // DBT_DEVNODES_CHANGED

    RecordingSink sink;
    EXPECT_FALSE(backend_.deliver(arrival));  // nobody listens yet
    backend_.registerInterfaceNotifications(&sink);
    EXPECT_TRUE(backend_.deliver(arrival));
    // A handle nobody registered for reaches no sink.
    EXPECT_FALSE(backend_.deliver(query));
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(sink.changes[0].devicePath, arrival.devicePath);
    backend_.registerInterfaceNotifications(nullptr);
    EXPECT_FALSE(backend_.deliver(arrival));
}

}  // namespace
}  // namespace zeltor
