#pragma once

#include <QFont>
#include <Qt>

namespace zeltor {

// The dialogs' font: the desktop's general font stands for the product's shell dialog font, so
// the dialogs grow with the font the user reads everywhere else.
QFont dialogFont();

// A dialog frame with a caption and a close box only, as the templates' modal frame.
Qt::WindowFlags dialogWindowFlags();

}  // namespace zeltor
