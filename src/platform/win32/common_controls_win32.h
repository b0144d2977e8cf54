#pragma once

namespace zeltor {

// Registers the common control classes the dialogs use, before any window is made: the first
// eight classes (the progress bar among them) and, in a class of its own, the status link.
void initCommonControls();

}  // namespace zeltor
