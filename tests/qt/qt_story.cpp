#include "qt_story.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <cstdlib>

#include "app/front_end_options.h"
#include "app/run_options.h"
#include "platform/linux/host_services_linux.h"
#include "program/dialog_program_qt.h"
#include "program/simulated_machine.h"
#include "ui/dialog_controls.h"

namespace zeltor {

StoryEnd runStory(const std::vector<std::string>& switches, const std::vector<StoryStep>& steps) {
    std::vector<const char*> arguments;
    for (const std::string& argument : switches) {
        arguments.push_back(argument.c_str());
    }
    g_RunOptions = RunOptions();
    parseCommandLine(static_cast<std::uint32_t>(arguments.size()), arguments.data(), &g_RunOptions);
    const FrontEndOptions frontEnd =
        parseFrontEndOptions(static_cast<std::uint32_t>(arguments.size()), arguments.data());

    StoryEnd end;
    SimulatedMachine* machine = nullptr;
    QtDialogProgramHooks hooks;
    hooks.onMachine = [&machine](SimulatedMachine& built) { machine = &built; };
    hooks.onIdle = [&](QtDialog& dialog, CBrennicDFUDlg& controller) {
        if (end.stepsTaken >= steps.size() || !steps[end.stepsTaken].when(dialog, controller)) {
            return false;
        }
        steps[end.stepsTaken++].act(dialog, controller);
        return true;
    };
    hooks.onStall = [&](QtDialog& dialog, CBrennicDFUDlg& controller) {
        ADD_FAILURE() << "The run stalled in state " << controller.state() << " waiting for: "
                      << (end.stepsTaken < steps.size() ? steps[end.stepsTaken].name
                                                        : "the end of the dialog");
        dialog.endDialog(IDCANCEL);
    };
    hooks.onVerdict = [&](const std::string& verdict) {
        end.verdict = verdict;
        if (machine != nullptr) {
            end.launches = machine->host.launches;
        }
    };
    LinuxHostServices host;
    int argc = 1;
    char name[] = "qt_dialog_tests";
    char* argv[] = {name, nullptr};
    end.exitCode = runQtDialogProgram(argc, argv, frontEnd, host, hooks);
    end.shroud = g_RunOptions.m_Shroud;
    return end;
}

QString controlText(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text();
    }
    return control == nullptr ? QString() : control->windowTitle();
}

bool shown(QtDialog& dialog, int controlId) {
    return !dialog.control(controlId)->isHidden();
}

bool enabled(QtDialog& dialog, int controlId) {
    return dialog.control(controlId)->isEnabled();
}

void saveScreenshot(QWidget& window, const std::string& name) {
    const QString folder = QStringLiteral(ZELTOR_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const QString path = folder + "/" + QString::fromStdString(name) + ".png";
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
}

void setLanguage(const char* locale) {
    setenv("LC_ALL", locale, 1);
}

}  // namespace zeltor
