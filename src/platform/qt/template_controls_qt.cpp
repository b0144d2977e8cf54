#include "platform/qt/template_controls_qt.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <cstring>

#include "platform/qt/dialog_units_qt.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_templates.h"

namespace zeltor {
namespace {

// The styles name Windows constants: they are left unexpanded here.
#define ZELTOR_TEMPLATE_ROW(id, text, windowClass, style, exStyle, shown, x, y, width, height) \
    TemplateControl{id, text, windowClass, shown != 0, x, y, width, height},

bool isClass(const TemplateControl& control, const char* windowClass) {
    return std::strcmp(control.windowClass, windowClass) == 0;
}

QLabel* createLabel(QWidget* parent, const TemplateControl& control) {
    auto* label = new QLabel(parent);
    // A static text control wraps its text from the top left and draws nothing behind it.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    if (control.id != IDC_DEVICE_ICON) {
        label->setText(QString::fromUtf8(control.text));
    }
    return label;
}

QLabel* createLink(QWidget* parent, const TemplateControl& control) {
    auto* link = createLabel(parent, control);
    // A click goes to the controller, which opens the address through the launch seam.
    link->setOpenExternalLinks(false);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return link;
}

// The lines of a list without selection: the line under the keyboard focus is drawn like any
// other, rather than in the style's highlight that reads as a selection.
class UnselectedLines final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

QListWidget* createList(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setFocusPolicy(Qt::StrongFocus);
    // A note longer than the list is wide wraps rather than being cut off.
    list->setWordWrap(true);
    list->setTextElideMode(Qt::ElideNone);
    list->setItemDelegate(new UnselectedLines(list));
    return list;
}

QProgressBar* createProgress(QWidget* parent) {
    auto* progress = new QProgressBar(parent);
    progress->setTextVisible(false);
    progress->setRange(0, 100);
    progress->setValue(0);
    return progress;
}

QPushButton* createButton(QWidget* parent, const TemplateControl& control, bool picture) {
    auto* button = new QPushButton(parent);
    button->setFocusPolicy(Qt::StrongFocus);
    if (!picture) {
        button->setText(QString::fromUtf8(control.text));
    }
    return button;
}

}  // namespace

const std::vector<TemplateControl>& mainDialogTemplate() {
    static const std::vector<TemplateControl> controls{
        ZELTOR_MAIN_DIALOG_CONTROLS(ZELTOR_TEMPLATE_ROW)};
    return controls;
}

const std::vector<TemplateControl>& chooserTemplate() {
    static const std::vector<TemplateControl> controls{
        ZELTOR_CHOOSER_DIALOG_CONTROLS(ZELTOR_TEMPLATE_ROW)};
    return controls;
}

QWidget* createTemplateControl(QWidget* parent, const TemplateControl& control,
                               const DialogUnits& units) {
    QWidget* widget = nullptr;
    if (isClass(control, "SysLink")) {
        widget = createLink(parent, control);
    } else if (isClass(control, "ListBox")) {
        widget = createList(parent);
    } else if (isClass(control, "msctls_progress32")) {
        widget = createProgress(parent);
    } else if (isClass(control, "Button")) {
        const bool picture = control.id == IDC_REGULAR_HEADSET || control.id == IDC_SHROUD_HEADSET;
        widget = createButton(parent, control, picture);
    } else {
        widget = createLabel(parent, control);
    }
    widget->setObjectName(QString::number(control.id));
    widget->setGeometry(units.toPixels(control.x, control.y, control.width, control.height));
    widget->setVisible(control.shown);
    return widget;
}

}  // namespace zeltor
