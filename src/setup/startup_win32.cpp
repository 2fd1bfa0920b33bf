#include "setup/startup_win32.h"

#include <windows.h>
#include <objbase.h>

#include "../../res/resource_ids.h"
#include "setup/command_line.h"
#include "setup/installer_config_win32.h"
#include "setup/wizard_run_win32.h"
#include "system/files_win32.h"
#include "system/privileges_win32.h"
#include "wizard/language_win32.h"

SetupState Setup;
PackReader Packs;
SettingsFile Settings;
HICON__* HeaderImage = nullptr;

namespace {

// Shown before any language file has been read, so always the built-in texts.
void showStartupErrorBox() {
    MessageBoxA(nullptr, stringEntryInfo(Requester_RQ6_Msg).defaultText, stringEntryInfo(Requester_RQ6_Titel).defaultText,
                MB_OK | MB_ICONERROR);
}

// The administrator login window comes with the dialogs; until it exists the
// failed step is simply tried once more.
void offerAdminLogin() {}

std::string longTempFolder() {
    char shortPath[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, shortPath);
    if (n == 0 || n > MAX_PATH) return std::string();
    char longPath[MAX_PATH + 1] = {};
    n = GetLongPathNameA(shortPath, longPath, MAX_PATH);
    std::string folder = (n == 0 || n > MAX_PATH) ? shortPath : longPath;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string ownPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool createTemporaryFolder(const std::string& folder) {
    // One level; trailing blanks and separators of the path do not count.
    std::string path = folder;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/' || path.back() == ' ')) path.pop_back();
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool retryAfterLogin() {
    if (isAdmin()) return false;
    offerAdminLogin();
    return true;
}

}  // namespace

void (*showStartupError)() = showStartupErrorBox;

std::string NewGuidText() {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) return std::string();
    wchar_t wide[40] = {};
    if (StringFromGUID2(guid, wide, 40) != 39) return std::string();
    return std::string(wide, wide + 38);  // registry form: plain ASCII
}

bool StartUp(const std::string& parameters) {
    Setup = SetupState{};
    parseCommandLine(parameters, Setup);

    Setup.SetupTmpDir = longTempFolder() + NewGuidText() + "\\";
    Setup.ExePath = ownPath();
    Setup.SetupIniPath = Setup.SetupTmpDir + "setup.ini";
    Setup.CurrentPage = 1;
    Setup.SetupExeDir = Setup.ExePath.substr(0, Setup.ExePath.rfind('\\') + 1);

    // Every program started from here on inherits these.
    SetEnvironmentVariableA("SetupExeDir", Setup.SetupExeDir.c_str());
    SetEnvironmentVariableA("SetupTmpDir", Setup.SetupTmpDir.c_str());

    if (!HeaderImage) {
        HeaderImage = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_HEADER),
                                                    IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    }
    Strings = StringTable{};
    LanguageNumber = 0;
    Packs = PackReader{};
    Packs.fs = &windowsFileSystem();
    Packs.loginRetry = retryAfterLogin;

    if (!createTemporaryFolder(Setup.SetupTmpDir)) {
        if (isAdmin()) {
            showStartupError();
        } else {
            offerAdminLogin();
            if (!createTemporaryFolder(Setup.SetupTmpDir)) showStartupError();
        }
    }

    // A payload that cannot be found or read is as much a failure as a file
    // that cannot be written: either way the installation would go on empty.
    const bool opened = openPack(Packs, Setup.ExePath, nullptr);
    const bool extracted = extractPack(Packs, Setup.SetupTmpDir, "") && opened;
    closePack(Packs);
    if (!extracted) showStartupError();
    return extracted;
}

void RunSetup(const std::string& parameters) {
    StartUp(parameters);
    ReadStartupConfig();
    Setup.LanguageFile = chooseLanguageFile(Config.Language);
    loadLanguageFile(Setup.SetupTmpDir + Setup.LanguageFile, Config.Titel, Config.Version);
    // The pre-install checks come here, and the update mode for /Q.
    if (!Setup.QuietMode) RunWizard();
}

void EndSetup() {
    closeSettings(Settings);
    if (HeaderImage) {
        DestroyIcon(HeaderImage);
        HeaderImage = nullptr;
    }
}
