#include "platform/qt/dialog_window_qt.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <climits>

#include "controller/brennic_dfu_dlg.h"
#include "platform/qt/dialog_font_qt.h"
#include "platform/qt/dialog_units_qt.h"
#include "platform/qt/headset_chooser_qt.h"
#include "platform/qt/link_markup_qt.h"
#include "platform/qt/template_controls_qt.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_templates.h"

namespace zeltor {
namespace {

// Restores a pointer when the scope ends (the chooser that is open).
class ChooserOpen {
public:
    ChooserOpen(QDialog*& slot, QDialog* chooser) : slot_(slot) { slot_ = chooser; }
    ~ChooserOpen() { slot_ = nullptr; }
    ChooserOpen(const ChooserOpen&) = delete;
    ChooserOpen& operator=(const ChooserOpen&) = delete;

private:
    QDialog*& slot_;
};

}  // namespace

QtDialog::QtDialog(MessageLoop& loop, QtLoopDriver& driver) : loop_(loop), driver_(driver) {
    setObjectName(QString::number(ZELTOR_MAIN_DIALOG_ID));
    setWindowFlags(dialogWindowFlags());
    setWindowTitle(QStringLiteral(ZELTOR_MAIN_DIALOG_CAPTION));
    setFont(dialogFont());
    createControls();
    loop_.setTimerHandler([this](std::uint32_t id) {
        if (controller_ != nullptr) {
            controller_->OnTimer(id);
        }
    });
}

QtDialog::~QtDialog() {
    loop_.setTimerHandler({});
}

void QtDialog::createControls() {
    const DialogUnits units(font());
    setFixedSize(units.toPixels(ZELTOR_MAIN_DIALOG_WIDTH, ZELTOR_MAIN_DIALOG_HEIGHT));
    for (const TemplateControl& row : mainDialogTemplate()) {
        controls_[row.id] = createTemplateControl(this, row, units);
    }
    auto* start = static_cast<QPushButton*>(controls_.at(IDC_START));
    auto* close = static_cast<QPushButton*>(controls_.at(IDC_CLOSE));
    close->setDefault(true);
    connect(start, &QPushButton::clicked, this,
            [this] { userAction([this] { controller_->OnStartClicked(); }); });
    connect(close, &QPushButton::clicked, this,
            [this] { userAction([this] { controller_->OnCloseClicked(); }); });
    auto* link = static_cast<QLabel*>(controls_.at(IDC_STATUS_LINK));
    connect(link, &QLabel::linkActivated, this, [this](const QString& address) {
        userAction(
            [this, address = address.toStdString()] { controller_->OnStatusLinkClick(address); });
    });
}

int QtDialog::runModal(CBrennicDFUDlg& controller, const std::string& notice) {
    controller_ = &controller;
    // The loop is first served in the chooser's own, while the initialisation waits for it.
    driver_.wake();
    controller.OnInitDialog();
    if (!notice.empty()) {
        setText(IDC_INSTRUCTIONS, notice);
    }
    if (ended_) {
        return result();
    }
    return exec();
}

QWidget* QtDialog::control(int controlId) const {
    if (controlId == IDC_DIALOG) {
        return const_cast<QtDialog*>(this);
    }
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

void QtDialog::userAction(std::function<void()> action) {
    if (controller_ == nullptr) {
        return;
    }
    if (driver_.held()) {
        post(std::move(action));
        return;
    }
    action();
    driver_.wake();
}

void QtDialog::closeEvent(QCloseEvent* event) {
    if (ended_) {
        // The controller has ended the dialog; this is the window going away.
        event->accept();
        return;
    }
    // The close box: closing is the controller's decision, as for Escape.
    event->ignore();
    userAction([this] { controller_->OnCancel(); });
}

void QtDialog::reject() {
    userAction([this] { controller_->OnCancel(); });
}

void QtDialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Escape:
                reject();
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // A focused button takes Enter itself; elsewhere it is the dialog's confirm.
                userAction([this] { controller_->OnOK(); });
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

// --- DialogHost ------------------------------------------------------------------------------

void QtDialog::post(std::function<void()> work) {
    loop_.post(std::move(work));
    driver_.wake();
}

void QtDialog::setTimer(std::uint32_t id, std::uint32_t periodMs) {
    loop_.setTimer(id, periodMs);
    driver_.wake();
}

void QtDialog::killTimer(std::uint32_t id) {
    loop_.killTimer(id);
}

bool QtDialog::hasControl(int controlId) const {
    return control(controlId) != nullptr;
}

void QtDialog::setText(int controlId, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (controlId == IDC_DIALOG) {
        setWindowTitle(value);
        return;
    }
    QWidget* target = control(controlId);
    if (auto* label = qobject_cast<QLabel*>(target)) {
        // Only the status line is a link control; its markup holds the troubleshooting link.
        if (controlId == IDC_STATUS_LINK && value.contains(QStringLiteral("<a "))) {
            label->setTextFormat(Qt::RichText);
            label->setText(linkMarkupToRichText(value));
        } else {
            label->setTextFormat(Qt::PlainText);
            label->setText(value);
        }
    } else if (auto* button = qobject_cast<QPushButton*>(target)) {
        button->setText(value);
    }
}

void QtDialog::showControl(int controlId, bool show) {
    if (QWidget* target = control(controlId); target != nullptr && target != this) {
        if (!show && target->hasFocus()) {
            // The focus stays with the dialog rather than passing to whatever comes next.
            setFocus();
        }
        target->setVisible(show);
    }
}

void QtDialog::enableControl(int controlId, bool enable) {
    if (QWidget* target = control(controlId); target != nullptr) {
        target->setEnabled(enable);
    }
}

void QtDialog::setBold(int controlId) {
    if (QWidget* target = control(controlId); target != nullptr) {
        QFont bold = target->font();
        bold.setWeight(QFont::Bold);
        target->setFont(bold);
    }
}

void QtDialog::addListLine(int controlId, const std::string& text) {
    if (auto* list = qobject_cast<QListWidget*>(control(controlId))) {
        // A list without selection: its lines are neither picked nor highlighted.
        auto* item = new QListWidgetItem(QString::fromStdString(text));
        item->setFlags(Qt::ItemIsEnabled);
        list->addItem(item);
    }
}

void QtDialog::setPicture(int controlId, int iconId) {
    auto* label = qobject_cast<QLabel*>(control(controlId));
    const QPixmap picture = headsetPicture(iconId);
    if (label == nullptr) {
        return;
    }
    if (picture.isNull()) {
        Trace("Picture of icon %d not found\n", iconId);
        return;
    }
    // A picture control takes the size of its picture, as the product's icon control does.
    label->setPixmap(picture);
    label->resize(picture.size());
}

void QtDialog::setProgressRange(std::uint32_t maximum) {
    if (auto* bar = qobject_cast<QProgressBar*>(control(IDC_PROGRESS))) {
        bar->setRange(0, static_cast<int>(std::min<std::uint32_t>(maximum, INT_MAX)));
    }
}

void QtDialog::setProgressStep(int step) {
    progressStep_ = step;
}

void QtDialog::setProgressPosition(int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(control(IDC_PROGRESS))) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
}

void QtDialog::progressStepIt() {
    if (auto* bar = qobject_cast<QProgressBar*>(control(IDC_PROGRESS))) {
        // The product's bar starts over when a step passes its end.
        const long long next = static_cast<long long>(bar->value()) + progressStep_;
        bar->setValue(next > bar->maximum() ? bar->minimum() : static_cast<int>(next));
    }
}

ChooserResult QtDialog::runHeadsetChooser(const std::string& caption,
                                          const std::string& description) {
    QtHeadsetChooser chooser(caption, description);
    chooser.setWindowIcon(windowIcon());
    const ChooserOpen open(chooser_, &chooser);
    return chooser.choose();
}

void QtDialog::endDialog(int result) {
    ended_ = true;
    setResult(result);
    done(result);
}

}  // namespace zeltor
