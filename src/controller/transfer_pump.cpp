// One plan packet per tick of the step timer.
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

// A forced failure for /RANDOMFAILS: 5 in 100 packets that carry a request.
bool randomFailure(const RunOptions& options, CRandom& random, const DfuPacket& packet) {
    return options.m_RandomFails && !packet.m_Request.empty() && random.next() % 100 < 5;
}

}  // namespace

void CBrennicDFUDlg::DumpFailedPacket(const DfuPacket& packet, int packetsLeft) {
    Trace("FAILED PACKET:\n");
    Trace("    PacketType: %d\n", packet.m_PacketType);
    Trace("    PacketsLeft: %d\n", packetsLeft);
    TraceBytes("    Request: ", packet.m_Request);
    if (!packet.m_Response.empty()) {
        TraceBytes("    Response: ", packet.m_Response);
    }
}

bool CBrennicDFUDlg::readyToStep(const PacketQueue& queue, const cDeviceUpdater& channel) {
    if (!channel.IsOpen()) {
        // The device left between two ticks: wait for it; no failure is counted.
        PostSwitchToState(DFU_STATE_WAIT_DEVICES);
        return false;
    }
    if (queue.empty()) {
        // A transfer with nothing to send cannot have reprogrammed its device.
        Trace("  Transfer started without packets\n");
        SwitchToState(DFU_STATE_FAILED);
        return false;
    }
    return true;
}

void CBrennicDFUDlg::StepHeadsetTransfer() {
    stepAvneraTransfer(m_HeadsetQueue, m_AvneraHeadsetUpdater,
                       "Generating random (headset) fail.\n");
}

void CBrennicDFUDlg::StepDongleTransfer() {
    stepAvneraTransfer(m_DongleQueue, m_AvneraDongleUpdater, "Generating random (dongle) fail.\n");
}

void CBrennicDFUDlg::stepAvneraTransfer(PacketQueue& queue, cDeviceUpdater& channel,
                                        const char* failText) {
    if (!readyToStep(queue, channel)) {
        return;
    }
    const DfuPacket& packet = queue.front();
    bool ok = channel.SendPacket(packet);
    if (ok && randomFailure(m_Options, m_Random, packet)) {
        Trace("%s", failText);
        ok = false;
    }
    if (!ok) {
        DumpFailedPacket(packet, static_cast<int>(queue.size()));
        SwitchToState(DFU_STATE_FAILED);
        return;
    }
    queue.pop_front();
    m_Dialog.progressStepIt();
    if (queue.empty()) {
        m_Dialog.killTimer(DFU_TIMER_STEP);
        // The plan's last packets reset the chip; only its return in application mode moves on.
        armDeviceWait();
    } else {
        m_Dialog.setTimer(DFU_TIMER_STEP, m_StepPeriodMs);
    }
}

void CBrennicDFUDlg::StepMCUTransfer() {
    if (!readyToStep(m_MCUQueue, m_ZeltorMCUUpdater)) {
        return;
    }
    const DfuPacket& packet = m_MCUQueue.front();
    if (m_ZeltorMCUUpdater.SendPacket(packet)) {
        m_MCUQueue.pop_front();
        m_Dialog.progressStepIt();
        if (!m_MCUQueue.empty()) {
            m_Dialog.setTimer(DFU_TIMER_STEP, m_StepPeriodMs);
            return;
        }
        m_Dialog.killTimer(DFU_TIMER_STEP);
        SwitchToState(DFU_STATE_WAIT_REATTACH);
        return;
    }
    ++m_FailedRetries;
    if (m_FailedRetries <= m_MaxRetries) {
        DumpFailedPacket(packet, static_cast<int>(m_MCUQueue.size()));
        m_Dialog.setTimer(DFU_TIMER_STEP, kMCURetryPeriodMs);
        return;
    }
    Trace("Retrying MCU firmware update\n");
    m_MCURetry = true;
    m_FailedRetries = 0;
    SwitchToState(DFU_STATE_FAILED);
}

}  // namespace zeltor
