#pragma once

#include "controller/brennic_dfu_dlg.h"

namespace zeltor {

// What the dialog asks of the person in front of it, read from the controller's state: the one
// place where the console, the simulated person and the tests learn when a person would act.
enum class DialogRequest {
    Nothing,     // an update step is under way, or the dialog waits for the devices
    PressStart,  // Start is offered
    Replug,      // a failure asks for the headset to be unplugged and plugged in again
    Close,       // the update is done (or was not needed): the dialog may be closed
    GiveUp,      // the customer-care text: the person stops trying
};

// `startShown` is whether the Start button is visible; `workPending` whether the loop still holds
// posted work (a failure asks for the replug only once the work it posted is done).
DialogRequest dialogRequest(const CBrennicDFUDlg& dlg, bool startShown, bool workPending);

}  // namespace zeltor
