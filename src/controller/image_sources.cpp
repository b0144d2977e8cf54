// Which firmware images an update sends: embedded ones by headset type and region, or
// replacements from an override folder.
#include "app/run_options.h"
#include "base/source_name.h"
#include "controller/brennic_dfu_dlg.h"
#include "firmware/firmware_ids.h"
#include "firmware/image_files.h"
#include "firmware/resource_images.h"
#include "protocol/avnera_plan.h"
#include "protocol/mcu_plan.h"
#include "trace/debug_output.h"
#include "trace/trace_log.h"

namespace zeltor {

bool CBrennicDFUDlg::selectFirmwareImages() {
    const FirmwareImageIds ids = firmwareImageIds(g_RunOptions.m_Shroud, g_RunOptions.m_Tesmoray);
    loadImageTextResource(ids.headset, m_HeadsetImage);
    loadImageTextResource(ids.dongle, m_DongleImage);
    loadMCUImage();
    return true;
}

bool CBrennicDFUDlg::loadMCUImage() {
    if (m_MCUPlanFromOverride) {
        return true;
    }
    const FirmwareImageIds ids = firmwareImageIds(g_RunOptions.m_Shroud, g_RunOptions.m_Tesmoray);
    PacketQueue plan;
    if (!BuildMCUPlanFromResource(ownModule(), plan, ids.mcu)) {
        return false;
    }
    m_MCUPlan = std::move(plan);
    return true;
}

bool CBrennicDFUDlg::loadForceDirImages(const std::string& directory) {
    if (TraceAssert(!directory.empty(), "false", ZELTOR_SOURCE_NAME, __LINE__)) {
        requestDebugBreak();
        return false;
    }
    const auto base = overrideFolder(directory);
    if (!base) {
        return true;
    }
    // An override file that cannot be used leaves the embedded image in its place.
    const auto unusable = [](const std::string& path) {
        Trace("  Firmware file %s cannot be read; the built-in image is used\n", path.c_str());
    };
    if (const auto path = findFirstImageFile(*base, ".bin")) {
        ByteVector bytes;
        PacketQueue plan;
        if (!readFileBytes(*path, bytes)) {
            unusable(*path);
        } else if (BuildMCUPlan(bytes, plan)) {
            m_MCUPlan = std::move(plan);
            m_MCUPlanFromOverride = true;
        }
    }
    if (const auto path = findFirstImageFile(*base, ".ef")) {
        if (!loadImageTextFile(*path, m_HeadsetImage)) {
            unusable(*path);
        }
        buildAvneraHeadsetFirmwareUpdate();
    }
    if (const auto path = findFirstImageFile(*base, ".ff")) {
        if (!loadImageTextFile(*path, m_DongleImage)) {
            unusable(*path);
        }
        buildAvneraDongleFirmwareUpdate();
    }
    return true;
}

bool CBrennicDFUDlg::buildAvneraHeadsetFirmwareUpdate() {
    return zeltor::buildAvneraHeadsetFirmwareUpdate(m_HeadsetImage, m_HeadsetPlan);
}

bool CBrennicDFUDlg::buildAvneraDongleFirmwareUpdate() {
    return zeltor::buildAvneraDongleFirmwareUpdate(m_DongleImage, m_DonglePlan);
}

}  // namespace zeltor
