#pragma once

#include <functional>
#include <string>

#include "app/exit_codes.h"
#include "app/front_end_options.h"
#include "host/host_services.h"

namespace zeltor {

class CBrennicDFUDlg;
class Win32Dialog;

// A dialog run as a caller that drives it sees it.
struct DialogRun {
    Win32Dialog& dialog;
    CBrennicDFUDlg& controller;
    HostServices& host;  // the simulated machine's host in a simulated run
};

// What a caller may add to a run of the dialog: a test that drives it.
struct DialogProgramHooks {
    // Called whenever the dialog's loop has nothing else to do, before time moves on; true when
    // it did something (posted input, say).
    std::function<bool(DialogRun& run)> onIdle;
    // Called when, in virtual time, nothing more can happen without input: no message, no tick,
    // nothing on the clock's agenda, and neither the caller nor the simulated person acted.
    std::function<void(DialogRun& run)> onNothingMoves;
    // The simulation's verdict once the dialog has closed.
    std::function<void(const std::string& verdict)> onVerdict;
};

// The Windows program: the main dialog and its chooser over the machine's HID devices, or over
// the simulated headset and dongle of the front end's scenario (/SIMULATE, /INSTANT for virtual
// time). `realHost` is the machine's host: the real run's, and the place of a simulated run's
// log. Returns the exit code.
int runDialogProgram(const FrontEndOptions& frontEnd, HostServices& realHost,
                     const DialogProgramHooks& hooks = {});

}  // namespace zeltor
