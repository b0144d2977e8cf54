#pragma once

#include <functional>
#include <string>

#include "app/front_end_options.h"
#include "host/host_services.h"

namespace zeltor {

class CBrennicDFUDlg;
class LinuxHostServices;
class QtDialog;
struct SimulatedMachine;

// What a caller may add to a run of the Qt dialog: a test that drives it.
struct QtDialogProgramHooks {
    // Called whenever the dialog's loop has nothing else to do, before time moves on; true when
    // it did something (clicked, say).
    std::function<bool(QtDialog& dialog, CBrennicDFUDlg& controller)> onIdle;
    // Called when nothing is posted or scheduled and nobody acted: the run cannot go on
    // without a person or a device.
    std::function<void(QtDialog& dialog, CBrennicDFUDlg& controller)> onStall;
    // The simulated machine of a /SIMULATE run, once it is built.
    std::function<void(SimulatedMachine& machine)> onMachine;
    // The simulation's verdict once the dialog has closed.
    std::function<void(const std::string& verdict)> onVerdict;
};

// Whether a desktop session can show a window: a Wayland display or a local X display whose
// socket exists (a remote X display is taken on trust). Qt ends the process when it cannot
// reach the display it is given, so a stale variable must not send the run there.
bool desktopDisplayAvailable();

// The Linux program in a desktop window: the Qt dialog and its chooser over the simulated
// headset and dongle of the front end's scenario (/SIMULATE, /INSTANT for virtual time) or over
// the real devices through hidraw. `realHost` is the machine's host: the real run's, and the
// place of a simulated run's log. Makes the Qt application unless there is one. Returns the
// exit code.
int runQtDialogProgram(int& argc, char** argv, const FrontEndOptions& frontEnd,
                       LinuxHostServices& realHost, const QtDialogProgramHooks& hooks = {});

}  // namespace zeltor
