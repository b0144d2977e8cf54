// The dialog's fixed texts, the status line and the headset type picture.
#include <cstdio>

#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "ui/dialog_controls.h"
#include "ui/product_text.h"
#include "ui/string_ids.h"
#include "ui/support_site.h"

namespace zeltor {
namespace {

struct FixedText {
    int control;
    std::uint16_t stringId;
};

constexpr FixedText kFixedTexts[] = {
    {IDC_DIALOG, IDS_TITLE},    {IDC_HEADING, IDS_HEADING},
    {IDC_WARNING, IDS_WARNING}, {IDC_RELEASE_NOTES_CAPTION, IDS_RELEASE_NOTES_CAPTION},
    {IDC_CLOSE, IDS_CLOSE},     {IDC_START, IDS_START},
};

constexpr std::uint16_t kReleaseNoteIds[] = {IDS_RELEASE_NOTE_FIRST, IDS_RELEASE_NOTE_FIRST + 1,
                                             IDS_RELEASE_NOTE_FIRST + 2, IDS_RELEASE_NOTE_FIRST + 3,
                                             IDS_RELEASE_NOTE_FIRST + 4};

constexpr const char* kTroubleshootingPath =
    "/en_us/article/Recover-a-non-responsive-Brennic-gaming-headset";

}  // namespace

void CBrennicDFUDlg::initDialogTexts() {
    setDialogTexts();
    fillReleaseNotes();
    m_Dialog.setBold(IDC_INSTRUCTIONS);
}

void CBrennicDFUDlg::setDialogTexts() {
    for (const auto& fixed : kFixedTexts) {
        if (m_Dialog.hasControl(fixed.control)) {
            m_Dialog.setText(fixed.control, LoadProductString(fixed.stringId));
        }
    }
}

void CBrennicDFUDlg::fillReleaseNotes() {
    for (const std::uint16_t id : kReleaseNoteIds) {
        const std::string text = LoadProductString(id);
        if (!text.empty()) {
            m_Dialog.addListLine(IDC_RELEASE_NOTES, "* " + text);
        }
    }
}

void CBrennicDFUDlg::setControlText(int controlId, int stringId) {
    const std::string text =
        stringId == 0 ? std::string() : LoadProductString(static_cast<std::uint16_t>(stringId));
    if (m_Dialog.hasControl(controlId)) {
        m_Dialog.setText(controlId, text);
    }
}

void CBrennicDFUDlg::showSupportLink() {
    // The link's text has no placeholder, so the product loader gives it as a plain load would.
    const std::string text = LoadProductString(IDS_TROUBLESHOOTING_LINK);
    const std::string markup =
        std::string("<a href=\"") + kSupportSite + kTroubleshootingPath + "\">" + text + "</a>";
    m_Dialog.showControl(IDC_STATUS_LINK, true);
    m_Dialog.setText(IDC_STATUS_LINK, markup);
}

void CBrennicDFUDlg::OnStatusLinkClick(const std::string& address) {
    m_Host.launchUnelevated(address, "", "", "open", 1);
}

void CBrennicDFUDlg::chooseHeadsetType() {
    const ChooserResult result = m_Dialog.runHeadsetChooser(LoadProductString(IDS_TITLE),
                                                            LoadProductString(IDS_CHOOSE_HEADSET));
    if (result == ChooserResult::Shroud) {
        m_Options.m_Shroud = true;
    }
    m_Dialog.setPicture(IDC_DEVICE_ICON,
                        m_Options.m_Shroud ? IDI_SHROUD_HEADSET : IDI_REGULAR_HEADSET);
    checkDevicesAttached();
}

}  // namespace zeltor
