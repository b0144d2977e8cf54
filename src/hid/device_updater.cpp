#include "hid/device_updater.h"

#include <algorithm>
#include <chrono>

#include "base/clock.h"
#include "base/text.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

ByteVector sizedTo(const ByteVector& request, std::size_t length) {
    ByteVector buffer(length, 0);
    std::copy_n(request.begin(), std::min(request.size(), length), buffer.begin());
    return buffer;
}

}  // namespace

void cDeviceUpdater::DumpReport(const char* label, const ByteVector& bytes) const {
    if (!m_Verbose) {
        return;
    }
    TraceBytes(label, bytes);
}

bool cDeviceUpdater::GetHidInfo(HidBackend& backend, const std::string& path,
                                HidAttributes& attributes, HidCaps& caps) {
    attributes = {};
    caps = {};
    if (!backend.probe(path, attributes, caps)) {
        attributes = {};
        caps = {};
        return false;
    }
    return true;
}

bool cDeviceUpdater::Open(const std::string& path, DeviceChangeSink* window) {
    if (path.empty()) {
        return false;
    }
    if (!GetHidInfo(m_Backend, path, m_Attributes, m_Caps)) {
        return false;
    }
    Close();
    m_hDevice = m_Backend.open(path);
    if (m_hDevice == 0) {
        return false;
    }
    m_DevicePath = path;
    if (window != nullptr) {
        m_hNotify = m_Backend.registerHandleNotification(m_hDevice, window);
    }
    Trace("Device %s opened (handle=0x%x, notifications=0x%x)\n", path.c_str(),
          static_cast<unsigned>(m_hDevice), static_cast<unsigned>(m_hNotify));
    return true;
}

void cDeviceUpdater::Close() {
    if (m_hDevice != 0) {
        m_Backend.close(m_hDevice);
        m_hDevice = 0;
        m_DevicePath.clear();
    }
    if (m_hNotify != 0) {
        m_Backend.unregisterHandleNotification(m_hNotify);
        m_hNotify = 0;
    }
}

bool cDeviceUpdater::MatchesPath(const std::string& path) const {
    return equalsIgnoringAsciiCase(m_DevicePath, path);
}

HidTransfer cDeviceUpdater::writeOutput(const ByteVector& request, std::uint32_t waitMs) {
    const ByteVector buffer = sizedTo(request, m_Caps.OutputReportByteLength);
    DumpReport("OUT: ", request);
    const HidTransfer result = m_Backend.writeOutputReport(m_hDevice, buffer, waitMs);
    if (!result.accepted) {
        Trace("WriteFile returned %d (%s)\n", static_cast<int>(result.errorCode),
              result.errorText.c_str());
    }
    return result;
}

bool cDeviceUpdater::WriteReport(const ByteVector& request) {
    if (!IsOpen()) {
        return false;
    }
    return writeOutput(request, kWriteWaitMs).accepted;
}

ByteVector cDeviceUpdater::ReadReport(std::uint8_t reportId, std::uint32_t timeoutMs) {
    // Reports of other ids are discarded, but only for as long as the timeout: a device that
    // floods foreign reports cannot hold the tool. Once the time is up, the reports already
    // queued are still looked through without waiting, so that an answer queued behind a
    // foreign report is not left for the next request to take as its own.
    Clock& clock = m_Clock;
    const auto deadline = clock.now() + std::chrono::milliseconds(timeoutMs);
    std::uint32_t waitMs = timeoutMs;
    std::uint32_t queuedLeft = kQueuedReportsAfterTimeout;
    for (;;) {
        std::optional<ByteVector> report =
            m_Backend.readInputReport(m_hDevice, m_Caps.InputReportByteLength, waitMs);
        if (!report) {
            return {};
        }
        report->resize(m_Caps.InputReportByteLength, 0);
        DumpReport("IN: ", *report);
        if (!report->empty() && (*report)[0] == reportId) {
            return std::move(*report);
        }
        const auto left = deadline - clock.now();
        if (left > std::chrono::nanoseconds::zero()) {
            waitMs = static_cast<std::uint32_t>(
                std::chrono::ceil<std::chrono::milliseconds>(left).count());
        } else if (queuedLeft-- > 0) {
            waitMs = 0;
        } else {
            return {};
        }
    }
}

bool cDeviceUpdater::VerifyResponse(const ByteVector& expected, std::uint32_t timeoutMs) {
    if (expected.empty()) {
        return false;
    }
    for (int attempt = 0; attempt < kVerifyAttempts; ++attempt) {
        const ByteVector answer = ReadReport(expected[0], timeoutMs);
        if (answer.size() >= expected.size() &&
            std::equal(expected.begin(), expected.end(), answer.begin())) {
            return true;
        }
    }
    return false;
}

bool cDeviceUpdater::WriteAndVerify(const ByteVector& request, const ByteVector& expected) {
    const bool written = WriteReport(request);
    if (expected.empty()) {
        return written;
    }
    // The answer is looked for even after a refused write; the packet still fails.
    const bool verified = IsOpen() && VerifyResponse(expected, kVerifyTimeoutMs);
    return written && verified;
}

ByteVector cDeviceUpdater::WriteReadReport(const ByteVector& request, std::uint8_t reportId,
                                           std::uint32_t timeoutMs) {
    if (!IsOpen()) {
        return {};
    }
    if (!writeOutput(request, kWriteReadWriteWaitMs).accepted) {
        return {};
    }
    return ReadReport(reportId, timeoutMs);
}

bool cDeviceUpdater::SetFeature(const ByteVector& request) {
    if (!IsOpen()) {
        return false;
    }
    const ByteVector buffer = sizedTo(request, m_Caps.FeatureReportByteLength);
    DumpReport("SF: ", request);
    const HidTransfer result = m_Backend.setFeature(m_hDevice, buffer);
    if (!result.accepted) {
        Trace("HidD_SetFeature returned %d (%s)\n", static_cast<int>(result.errorCode),
              result.errorText.c_str());
        return false;
    }
    return true;
}

bool cDeviceUpdater::SetFeatureBytes(const std::uint8_t* bytes, std::size_t count) {
    return SetFeature(ByteVector(bytes, bytes + count));
}

bool cDeviceUpdater::GetFeature(std::uint8_t reportId, ByteVector& buffer) {
    buffer.resize(m_Caps.FeatureReportByteLength, 0);
    if (buffer.empty()) {
        return false;
    }
    buffer[0] = reportId;
    if (!m_Backend.getFeature(m_hDevice, buffer)) {
        return false;
    }
    DumpReport("GF: ", buffer);
    return true;
}

bool cDeviceUpdater::SendPacket(const DfuPacket& packet) {
    if (!IsOpen()) {
        return false;
    }
    switch (packet.m_PacketType) {
        case PacketWrite:
        case PacketWriteVerify:
            return WriteAndVerify(packet.m_Request, packet.m_Response);
        case PacketSetFeature:
            return SetFeature(packet.m_Request);
        case PacketSetFeatureNoCheck:
            SetFeature(packet.m_Request);
            return true;
        case PacketPause:
            m_Clock.sleepFor(std::chrono::milliseconds(std::max(packet.m_DelayMs, 0)));
            return true;
        default:
            return true;
    }
}

}  // namespace zeltor
