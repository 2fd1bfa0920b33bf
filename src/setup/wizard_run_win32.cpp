#include "setup/wizard_run_win32.h"

#include <windows.h>

#include "setup/installer_config_win32.h"
#include "setup/startup_win32.h"
#include "system/files_win32.h"
#include "wizard/navigation_win32.h"
#include "wizard/wizard_window_win32.h"

namespace {

void cancelWizard() {
    // Stopping a running WhileSetup program belongs here too; it comes with
    // the helper-program issue.
    Config.StartProg = 0;
    Config.Reboot = 0;
    Setup.Cancelled = true;
    Setup.QuitRequested = true;
}

// InstallButton: runs the installation. Left empty: the installation issue fills it.
void onInstallButton() {}

// FinishButton: ends the wizard after the installation. Left empty: the
// installation issue fills it.
void onFinishButton() {}

}  // namespace

bool startWizard() {
    std::string title = Config.Titel;
    if (!Config.Version.empty()) title += " " + Config.Version;
    if (!buildWizardWindow(title)) return false;
    fillWizard();
    return true;
}

void handleWizardEvent(int control, int code) {
    switch (control) {
    case CancelButton:
        if (code == BN_CLICKED) cancelWizard();
        break;
    case InstallButton:
        if (code == BN_CLICKED) onInstallButton();
        break;
    case FinishButton:
        if (code == BN_CLICKED) onFinishButton();
        break;
    default:
        handleNavigationEvent(control, code);
        break;
    }
}

void handleWizardClose() {
    // Stopping a WhileSetup program started from StartQB.exe belongs here
    // too; it comes with the helper-program issue.
    if (!Setup.SetupTmpDir.empty()) removeTemporaryFolder(Setup.SetupTmpDir);
    Setup.QuitRequested = true;
}

void runWizardEventLoop() {
    MSG message;
    while (!Setup.QuitRequested) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;  // a quit message: the wizard ends all the same
        // IsDialogMessage gives the wizard the keyboard of a dialog: Tab between controls, Space on buttons.
        if (!Wizard.Window || !IsDialogMessageA(Wizard.Window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    freeWizardImages();
    closeWizardWindow();
}

void RunWizard() {
    if (startWizard()) runWizardEventLoop();
    // Ending the administrator logon and AfterSetup come before this with their issues.
    if (!Setup.SetupTmpDir.empty()) removeTemporaryFolder(Setup.SetupTmpDir);
}
