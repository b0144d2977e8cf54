#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zeltor {

// Questions a test asks of the windows on screen, and the screenshots it saves.
struct DialogUnits {
    int x, y, width, height;
};

std::string windowText(HWND window);
std::string controlText(HWND dialog, int id);
bool controlVisible(HWND dialog, int id);
bool controlEnabled(HWND dialog, int id);
std::string className(HWND window);
// A control's rectangle in the dialog's client pixels.
RECT controlRect(HWND dialog, int id);
// Dialog units in the dialog's client pixels, as its template places them.
RECT dialogUnitsToPixels(HWND dialog, const DialogUnits& units);
// The ids of the dialog's children in tab (creation) order.
std::vector<int> childIdsInOrder(HWND dialog);
// The size of an icon in pixels; {0, 0} for none.
SIZE iconSize(HICON icon);
// Another dialog window of this thread that holds control `id` (the chooser), if one is shown.
HWND findShownDialogWith(int id);
// Saves what the window shows, frame included, as a 32-bit BMP file `name`.bmp in the
// screenshot folder (ZELTOR_SCREENSHOT_DIR); false when it could not be written.
bool saveScreenshot(HWND window, const std::string& name);

}  // namespace zeltor
