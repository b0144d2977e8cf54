#pragma once

#include <cstdint>
#include <string>

#include "base/bytes.h"
#include "base/clock.h"
#include "hid/hid_backend.h"
#include "protocol/dfu_packet.h"

namespace zeltor {

class DeviceChangeSink;

// One open HID collection of one device role: opening, bounded report exchanges, hex dumps with
// /VERBOSE, and the execution of plan packets. Every failure is a false or empty result; the
// channel stays usable.
class cDeviceUpdater {
public:
    static constexpr std::uint32_t kWriteWaitMs = 1000;
    static constexpr std::uint32_t kWriteReadWriteWaitMs = 100;
    static constexpr std::uint32_t kVerifyTimeoutMs = 1000;
    static constexpr int kVerifyAttempts = 3;
    // Reports still read after a read's time is up, without waiting: as many as the largest
    // input queue a HID driver keeps (Windows allows 512), so a queue is always looked through.
    static constexpr std::uint32_t kQueuedReportsAfterTimeout = 512;

    // Every wait and pause goes through `clock`; `verbose` hex-dumps every report into the
    // trace, as /VERBOSE asks.
    cDeviceUpdater(HidBackend& backend, Clock& clock, bool verbose)
        : m_Backend(backend), m_Clock(clock), m_Verbose(verbose) {}
    ~cDeviceUpdater() { Close(); }
    cDeviceUpdater(const cDeviceUpdater&) = delete;
    cDeviceUpdater& operator=(const cDeviceUpdater&) = delete;

    // Reads the identity of `path`; zeroes both outputs when the path cannot be probed.
    static bool GetHidInfo(HidBackend& backend, const std::string& path, HidAttributes& attributes,
                           HidCaps& caps);

    // Opens `path` for I/O; with a `window`, its removal is announced there. Callers open only
    // closed channels.
    bool Open(const std::string& path, DeviceChangeSink* window);
    void Close();
    bool IsOpen() const { return m_hDevice != 0; }
    bool MatchesPath(const std::string& path) const;
    bool HasHandle(HidHandle handle) const { return handle == m_hDevice; }

    bool WriteReport(const ByteVector& request);
    ByteVector ReadReport(std::uint8_t reportId, std::uint32_t timeoutMs);
    bool VerifyResponse(const ByteVector& expected, std::uint32_t timeoutMs);
    bool WriteAndVerify(const ByteVector& request, const ByteVector& expected);
    ByteVector WriteReadReport(const ByteVector& request, std::uint8_t reportId,
                               std::uint32_t timeoutMs);
    bool SetFeature(const ByteVector& request);
    bool SetFeatureBytes(const std::uint8_t* bytes, std::size_t count);
    bool GetFeature(std::uint8_t reportId, ByteVector& buffer);

    // Carries out one plan packet as its type requires.
    bool SendPacket(const DfuPacket& packet);

    const HidCaps& Caps() const { return m_Caps; }
    const std::string& DevicePath() const { return m_DevicePath; }

private:
    // Sends the request as an output report cut or padded to its length, after the dump.
    HidTransfer writeOutput(const ByteVector& request, std::uint32_t waitMs);

    // The "label: xx xx ..." dump of a report, when the channel is verbose.
    void DumpReport(const char* label, const ByteVector& bytes) const;

    HidBackend& m_Backend;
    Clock& m_Clock;
    bool m_Verbose;
    HidHandle m_hDevice = 0;
    HidAttributes m_Attributes;
    HidCaps m_Caps;
    std::string m_DevicePath;
    HidRegistration m_hNotify = 0;
};

}  // namespace zeltor
