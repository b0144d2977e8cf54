#pragma once

#include <vector>

class QWidget;

namespace zeltor {

class DialogUnits;

// One control of a dialog template as the shared layout table gives it: the window class names
// the kind of control, and position and size are dialog units.
struct TemplateControl {
    int id;
    const char* text;
    const char* windowClass;
    bool shown;
    int x;
    int y;
    int width;
    int height;
};

// The controls of templates 102 and 138, in template (tab) order.
const std::vector<TemplateControl>& mainDialogTemplate();
const std::vector<TemplateControl>& chooserTemplate();

// Creates the widget a template control stands for, with its template text, its place in
// `units` and its initial visibility. Picture controls and picture buttons get no text.
QWidget* createTemplateControl(QWidget* parent, const TemplateControl& control,
                               const DialogUnits& units);

}  // namespace zeltor
