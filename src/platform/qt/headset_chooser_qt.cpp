#include "platform/qt/headset_chooser_qt.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "platform/qt/dialog_font_qt.h"
#include "platform/qt/dialog_units_qt.h"
#include "platform/qt/template_controls_qt.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_templates.h"

namespace zeltor {
namespace {

enum ChooserCode { kClosed = QDialog::Rejected, kRegular = 1, kShroud = 2 };

}  // namespace

QPixmap headsetPicture(int iconId) {
    switch (iconId) {
        case IDI_REGULAR_HEADSET:
            return QPixmap(QStringLiteral(":/zeltor/regular_headset.png"));
        case IDI_SHROUD_HEADSET:
            return QPixmap(QStringLiteral(":/zeltor/shroud_headset.png"));
        default:
            return QPixmap();
    }
}

QtHeadsetChooser::QtHeadsetChooser(const std::string& caption, const std::string& description) {
    setObjectName(QString::number(ZELTOR_CHOOSER_DIALOG_ID));
    setWindowFlags(dialogWindowFlags());
    setFont(dialogFont());
    const DialogUnits units(font());
    setFixedSize(units.toPixels(ZELTOR_CHOOSER_DIALOG_WIDTH, ZELTOR_CHOOSER_DIALOG_HEIGHT));
    for (const TemplateControl& row : chooserTemplate()) {
        controls_[row.id] = createTemplateControl(this, row, units);
    }
    const std::pair<int, ChooserCode> pictures[] = {{IDC_REGULAR_HEADSET, kRegular},
                                                    {IDC_SHROUD_HEADSET, kShroud}};
    for (const auto& [id, code] : pictures) {
        auto* button = static_cast<QPushButton*>(controls_.at(id));
        const QPixmap picture =
            headsetPicture(id == IDC_REGULAR_HEADSET ? IDI_REGULAR_HEADSET : IDI_SHROUD_HEADSET);
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, code = code] { done(code); });
    }
    // The caption and the description, in this order, as the product's two-row text table.
    setWindowTitle(QString::fromStdString(caption));
    static_cast<QLabel*>(controls_.at(IDC_CHOOSE_DESCRIPTION))
        ->setText(QString::fromStdString(description));
}

ChooserResult QtHeadsetChooser::choose() {
    switch (exec()) {
        case kRegular:
            return ChooserResult::Regular;
        case kShroud:
            return ChooserResult::Shroud;
        default:
            return ChooserResult::Closed;
    }
}

QWidget* QtHeadsetChooser::control(int controlId) const {
    if (controlId == IDC_DIALOG) {
        return const_cast<QtHeadsetChooser*>(this);
    }
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

}  // namespace zeltor
