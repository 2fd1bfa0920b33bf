#include "setup/installer_config_win32.h"

#include <windows.h>

#include "setup/startup_win32.h"
#include "system/files_win32.h"
#include "system/folders_win32.h"

InstallerConfig Config;

RememberedChoices readRememberedChoices(const std::string& guid) {
    // With no GUID this reads "SOFTWARE\Quillbox\" itself, which the setup
    // program never writes.
    const std::string key = rememberedChoicesKey(guid);
    RememberedChoices remembered;
    remembered.InstallDir = readRegString(HKEY_CURRENT_USER, key, "InstallDir");
    remembered.StartMenu = readRegString(HKEY_CURRENT_USER, key, "StartMenu");
    remembered.DesktopIcon = readRegString(HKEY_CURRENT_USER, key, "DesktopIcon");
    return remembered;
}

void ReadStartupConfig() {
    ReadStartupConfig(Config, Settings, windowsFileSystem(), Setup.SetupIniPath);
}

void ReadInstallerConfig() {
    ReadInstallerConfig(Config, Settings, windowsFileSystem(), Setup, readRememberedChoices(Config.GUID),
                        specialFolder);
}
