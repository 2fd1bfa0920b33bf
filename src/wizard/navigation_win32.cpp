#include "wizard/navigation_win32.h"

#include <windows.h>
#include <shlobj.h>

#include "setup/installer_config_win32.h"
#include "setup/startup_win32.h"
#include "system/folders_win32.h"
#include "wizard/language_win32.h"
#include "wizard/navigation.h"
#include "wizard/start_menu_chooser_win32.h"
#include "wizard/wizard_window_win32.h"

namespace {

// The licence and information pages exist while their editors hold text.
bool editorHoldsText(int id) { return GetWindowTextLengthA(wizardControl(id)) > 0; }

void setControlText(int id, const std::string& value) { SetWindowTextA(wizardControl(id), value.c_str()); }

bool isChecked(int id) { return SendMessageA(wizardControl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The header strip's title and subtitle for page 2, 3 or 4.
void showHeaderOf(int page) {
    static const StringEntry titles[] = {Page02_Titel, Page03_Titel, Page04_Titel};
    static const StringEntry messages[] = {Page02_Msg, Page03_Msg, Page04_Msg};
    setControlText(HeaderTitle, text(titles[page - 2]));
    setControlText(HeaderSubtitle, text(messages[page - 2]));
}

void enterInstallPage() {
    showControl(HeaderPanel, false);
    showControl(InstallPanel, true);
    showControl(SidePicture, true);
    showControl(InstallButton, true);
    showControl(NextButton, false);
}

void showWelcomePage() {
    showControl(HeaderPanel, false);
    showControl(WelcomePanel, true);
    showControl(SidePicture, true);
    showControl(BackButton, false);
}

// Sets the folder browser's first selection once its window exists.
int CALLBACK browserStarted(HWND browser, UINT message, LPARAM, LPARAM startFolder) {
    if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, startFolder);
    return 0;
}

}  // namespace

void nextPage() {
    Setup.CurrentPage = int8_t(Setup.CurrentPage + 1);
    switch (Setup.CurrentPage) {
    case 2:
        showControl(WelcomePanel, false);
        showControl(SidePicture, false);
        showControl(HeaderPanel, true);
        showControl(BackButton, true);
        if (editorHoldsText(LicenceText)) {
            showControl(LicencePanel, true);
            enableControl(NextButton, isChecked(AcceptOption));
            showHeaderOf(2);
        } else {
            Setup.CurrentPage = 3;
            showControl(SettingsPanel, true);
            showHeaderOf(3);
        }
        break;
    case 3:
        showControl(LicencePanel, false);
        showControl(SettingsPanel, true);
        showHeaderOf(3);
        break;
    case 4:
        showControl(SettingsPanel, false);
        if (editorHoldsText(InfoText)) {
            showControl(InfoPanel, true);
            showHeaderOf(4);
        } else {
            Setup.CurrentPage = 5;
            enterInstallPage();
        }
        break;
    case 5:
        showControl(InfoPanel, false);
        enterInstallPage();
        break;
    default:
        Setup.CurrentPage = 5;
        break;
    }
}

void previousPage() {
    Setup.CurrentPage = int8_t(Setup.CurrentPage - 1);
    switch (Setup.CurrentPage) {
    case 1:
        showControl(LicencePanel, false);
        showWelcomePage();
        enableControl(NextButton, true);
        break;
    case 2:
        showControl(SettingsPanel, false);
        if (editorHoldsText(LicenceText)) {
            showControl(LicencePanel, true);
            showHeaderOf(2);
        } else {
            Setup.CurrentPage = 1;
            showWelcomePage();
        }
        break;
    case 3:
        showControl(InfoPanel, false);
        showControl(SettingsPanel, true);
        showHeaderOf(3);
        break;
    case 4:
        showControl(InstallPanel, false);
        showControl(SidePicture, false);
        showControl(InstallButton, false);
        showControl(NextButton, true);
        showControl(CancelButton, true);
        showControl(HeaderPanel, true);
        if (editorHoldsText(InfoText)) {
            showControl(InfoPanel, true);
        } else {
            Setup.CurrentPage = 3;
            showControl(SettingsPanel, true);
            showHeaderOf(3);
        }
        break;
    default:
        Setup.CurrentPage = 1;
        break;
    }
}

void completeInstallFolder() {
    setControlText(InstallFolderField, completeInstallFolderText(controlText(InstallFolderField), Config.DefaultFolderName));
}

void browseInstallFolder() {
    const std::string title = text(Requester_RQ2_Titel);
    const std::string start = browserStartFolder(Config.InstallDirDefault);
    BROWSEINFOA browse = {};
    browse.hwndOwner = Wizard.Window;  // modal to the wizard
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    browse.lpfn = browserStarted;
    browse.lParam = LPARAM(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
    if (!chosen) return;
    char path[MAX_PATH + 1] = {};
    const bool hasPath = SHGetPathFromIDListA(chosen, path) && path[0];
    CoTaskMemFree(chosen);
    if (!hasPath) return;
    setControlText(InstallFolderField, browsedInstallFolderText(addBackslash(path), Config.DefaultFolderName));
}

void completeStartMenuField() {
    setControlText(StartMenuField, completeStartMenuFieldText(controlText(StartMenuField), Config.StartMenuFolder));
}

void chooseStartMenuFolder() {
    StartMenuChoice choice;
    if (!chosenStartMenuFolder(showStartMenuChooser(Wizard.Window, controlText(StartMenuField)), Config.StartMenuFolder,
                               choice))
        return;
    setControlText(StartMenuField, choice.FieldText);
    Config.StartMenuPath = choice.Path;
}

void applyNoStartMenuCheck() {
    const bool noStartMenu = isChecked(NoStartMenuCheck);
    enableControl(StartMenuField, !noStartMenu);
    enableControl(StartMenuButton, !noStartMenu);
}

void openHomepage() {
    // By full path from the system folder: a RunDll32.exe beside the
    // downloaded installer must never be the one started.
    char system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return;
    const std::string program = addBackslash(system) + "RunDll32.exe";
    std::string commandLine = "\"" + program + "\" Url.dll,FileProtocolHandler " + controlText(HomepageLink);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

bool handleNavigationEvent(int control, int code) {
    const bool clicked = code == BN_CLICKED;
    switch (control) {
    case NextButton:
        if (clicked) nextPage();
        return true;
    case BackButton:
        if (clicked) previousPage();
        return true;
    case AcceptOption:
        if (clicked) enableControl(NextButton, true);
        return true;
    case DeclineOption:
        if (clicked) enableControl(NextButton, false);
        return true;
    case InstallFolderField:
        if (code == EN_KILLFOCUS) completeInstallFolder();
        return true;
    case InstallFolderButton:
        if (clicked) browseInstallFolder();
        return true;
    case StartMenuField:
        if (code == EN_KILLFOCUS) completeStartMenuField();
        return true;
    case StartMenuButton:
        if (clicked) chooseStartMenuFolder();
        return true;
    case NoStartMenuCheck:
        if (clicked) applyNoStartMenuCheck();
        return true;
    case HomepageLink:
        if (clicked) openHomepage();
        return true;
    }
    return false;
}
