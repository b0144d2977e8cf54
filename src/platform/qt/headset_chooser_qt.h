#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "ui/dialog_host.h"

namespace zeltor {

// The headset type chooser: template 138 with the two headset pictures as buttons. A picture
// click ends it with that type; Escape and the close box with "closed".
class QtHeadsetChooser final : public QDialog {
public:
    QtHeadsetChooser(const std::string& caption, const std::string& description);

    // Runs it modally; the dialog's loop goes on serving posted work meanwhile.
    ChooserResult choose();
    QWidget* control(int controlId) const;

private:
    std::map<int, QWidget*> controls_;
};

// The picture of a headset type (icon 130 or 147) at its own size; null for another id.
QPixmap headsetPicture(int iconId);

}  // namespace zeltor
