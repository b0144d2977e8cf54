// Which firmware images an update sends: embedded ones by headset type and region, or
// replacements from an override folder.
#include "app/run_options.h"
#include "base/source_name.h"
#include "controller/brennic_dfu_dlg.h"
#include "firmware/firmware_ids.h"
#include "firmware/image_files.h"
#include "firmware/resource_images.h"
#include "firmware/text_resource.h"
#include "protocol/avnera_plan.h"
#include "protocol/mcu_plan.h"
#include "trace/debug_output.h"
#include "trace/trace_log.h"

namespace zeltor {

bool CBrennicDFUDlg::selectFirmwareImages() {
    const FirmwareImageIds ids = firmwareImageIds(m_Options.m_Shroud, m_Options.m_Tesmoray);
    loadImageTextResource(ids.headset, m_HeadsetImage);
    loadImageTextResource(ids.dongle, m_DongleImage);
    loadMCUImage();
    return true;
}

bool CBrennicDFUDlg::loadMCUImage() {
    if (m_MCUPlanFromOverride) {
        return true;
    }
    const FirmwareImageIds ids = firmwareImageIds(m_Options.m_Shroud, m_Options.m_Tesmoray);
    PacketQueue plan;
    if (!BuildMCUPlanFromResource(ownModule(), plan, ids.mcu)) {
        return false;
    }
    m_MCUPlan = std::move(plan);
    return true;
}

namespace {

bool builtInImageCarried(int resourceId) {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    return LoadTextResource(ownModule(), resourceId, data, size);
}

// What the update sends in place of an override file it cannot use. An Avnera plan, once made,
// stays for the run; the MCU plan is made afresh from the built-in image when there is one.
const char* replacement(int resourceId, bool planKept) {
    if (planKept) {
        return "the plan made earlier in this run is kept";
    }
    if (builtInImageCarried(resourceId)) {
        return "the built-in image is used";
    }
    return "the regional variant has no built-in image, so none is used";
}

void traceUnusable(const std::string& path, const std::string& why, const char* instead) {
    Trace("  Firmware file %s %s; %s\n", path.c_str(), why.c_str(), instead);
}

}  // namespace

bool CBrennicDFUDlg::loadForceDirImages(const std::string& directory) {
    if (TraceAssert(!directory.empty(), "false", ZELTOR_SOURCE_NAME, __LINE__)) {
        requestDebugBreak();
        return false;
    }
    const auto base = overrideFolder(directory);
    if (!base) {
        return true;
    }
    std::string why;
    const auto names = folderEntryNames(*base, why);
    if (!names) {
        Trace("  Firmware folder %s cannot be read (%s); no image is taken from it\n",
              base->c_str(), why.c_str());
        return true;
    }
    // Only the first file of each kind is looked at: when it cannot be used, the next one is
    // not taken instead, so the trace names the one file that decided.
    const FirmwareImageIds ids = firmwareImageIds(m_Options.m_Shroud, m_Options.m_Tesmoray);
    if (const auto path = firstImageFile(*base, *names, ".bin")) {
        ByteVector bytes;
        PacketQueue plan;
        bool taken = false;
        if (readFileBytes(*path, bytes, why)) {
            why = "is not a usable MCU image";
            taken = BuildMCUPlan(bytes, plan);
        }
        if (taken) {
            m_MCUPlan = std::move(plan);
            m_MCUPlanFromOverride = true;
        } else {
            const bool kept = !m_MCUPlan.empty() && !builtInImageCarried(ids.mcu);
            traceUnusable(*path, why, replacement(ids.mcu, kept));
        }
    }
    if (const auto path = firstImageFile(*base, *names, ".ef")) {
        if (!loadImageTextFile(*path, m_HeadsetImage, why)) {
            traceUnusable(*path, why, replacement(ids.headset, !m_HeadsetPlan.empty()));
        }
        buildAvneraHeadsetFirmwareUpdate();
    }
    if (const auto path = firstImageFile(*base, *names, ".ff")) {
        if (!loadImageTextFile(*path, m_DongleImage, why)) {
            traceUnusable(*path, why, replacement(ids.dongle, !m_DonglePlan.empty()));
        }
        buildAvneraDongleFirmwareUpdate();
    }
    return true;
}

bool CBrennicDFUDlg::buildAvneraHeadsetFirmwareUpdate() {
    Trace("CBrennicDFUDlg::buildAvneraHeadsetFirmwareUpdate\n");
    return buildAvneraFirmwareUpdate(false, m_HeadsetImage, m_HeadsetPlan);
}

bool CBrennicDFUDlg::buildAvneraDongleFirmwareUpdate() {
    Trace("CBrennicDFUDlg::buildAvneraDongleFirmwareUpdate\n");
    return buildAvneraFirmwareUpdate(true, m_DongleImage, m_DonglePlan);
}

// A plan is built once per run: a later call keeps it, whatever image is loaded by then.
bool CBrennicDFUDlg::buildAvneraFirmwareUpdate(bool dongle, const ByteVector& image,
                                               PacketQueue& plan) {
    Trace("CBrennicDFUDlg::buildAvneraFirmwareUpdate\n");
    if (!plan.empty()) {
        return true;
    }
    if (TraceAssert(!image.empty(), "false", ZELTOR_SOURCE_NAME, __LINE__)) {
        requestDebugBreak();
        return false;
    }
    return buildAvneraPlan(dongle, image, plan);
}

}  // namespace zeltor
