#include "setup/installer_config.h"

#include <algorithm>

#include "setup/command_line.h"

namespace {

// On/off settings keep only their low byte, so 256 reads as off.
uint8_t readFlag(SettingsFile& settings, const std::string& key) {
    return uint8_t(readNumber(settings, key, 0) & 0xFF);
}

std::string trimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The install folder before expansion: /P first, then the remembered one,
// then the value of [Settings] DefaultDir.
std::string chosenInstallDir(const std::string& param, const std::string& remembered, const std::string& defaultDir) {
    if (!param.empty()) return param;
    if (!remembered.empty()) return remembered;
    return defaultDir;
}

}  // namespace

std::string rememberedChoicesKey(const std::string& guid) {
    return "SOFTWARE\\Quillbox\\" + guid;
}

std::string defaultFolderNameOf(const std::string& defaultDir) {
    std::string text = defaultDir;
    // Only a single variable is cut off; with more '%' the value stays whole.
    if (std::count(text.begin(), text.end(), '%') == 2) text = text.substr(text.rfind('%') + 1);
    if (text.find('\\') == std::string::npos) return text;
    if (text.back() == '\\') text.pop_back();
    return text.substr(text.rfind('\\') + 1);
}

void ReadStartupConfig(InstallerConfig& config, SettingsFile& settings, FileSystem& fs,
                       const std::string& iniPath) {
    openSettings(settings, fs, iniPath);

    selectGroup(settings, "Settings");
    config.Language = readString(settings, "Language", "");
    config.ProgExe = readString(settings, "ProgExe", "");
    config.Split = readFlag(settings, "Split");

    selectGroup(settings, "Info");
    config.Titel = readString(settings, "Titel", kUnknownTitle);
    config.Version = readString(settings, "Version", "");
    config.GUID = readString(settings, "GUID", "");
    config.PrgSize = readString(settings, "PrgSize", "");
    config.PrgFlag = readNumber(settings, "PrgFlag", 1);

    selectGroup(settings, "Task");
    config.MutexString = trimSpaces(readString(settings, "MutexString", ""));

    selectGroup(settings, "UserTask");
    config.BeforeSetup = readString(settings, "BeforeSetup", "");
    config.BeforeParam = readString(settings, "BeforeParam", "");
    config.WhileSetup = readString(settings, "WhileSetup", "");
    config.WhileParam = readString(settings, "WhileParam", "");
    config.AfterSetup = readString(settings, "AfterSetup", "");
    config.AfterParam = readString(settings, "AfterParam", "");
    config.Uninst1Prog = readString(settings, "Uninst1Prog", "");
    config.Uninst1Param = readString(settings, "Uninst1Param", "");
    config.Uninst2Prog = readString(settings, "Uninst2Prog", "");
    config.Uninst2Param = readString(settings, "Uninst2Param", "");

    closeSettings(settings);
}

void ReadInstallerConfig(InstallerConfig& config, SettingsFile& settings, FileSystem& fs,
                         const SetupState& state, const RememberedChoices& remembered,
                         const FolderLookup& folder) {
    config.RememberedInstallDir = remembered.InstallDir;
    config.RememberedStartMenu = remembered.StartMenu;
    config.RememberedDesktopIcon = remembered.DesktopIcon;

    openSettings(settings, fs, state.SetupIniPath);

    selectGroup(settings, "Info");
    config.Web = readString(settings, "Web", "");

    selectGroup(settings, "Settings");
    const std::string defaultDir = readString(settings, "DefaultDir", config.RememberedInstallDir);
    config.NoCopyExt = readString(settings, "NoCopyExt", "");

    selectGroup(settings, "StartMenue");
    if (!state.ParamStartMenu.empty()) {
        config.StartMenuFolder = state.ParamStartMenu;
    } else if (!config.RememberedStartMenu.empty()) {
        config.StartMenuFolder = config.RememberedStartMenu;
    } else {
        config.StartMenuFolder = readString(settings, "DefaultDir", "");
    }
    config.ProgLink = readString(settings, "ProgLink", config.Titel);

    selectGroup(settings, "Task");
    if (!config.RememberedDesktopIcon.empty()) {
        // Kept in 32 bits like every number the program reads.
        config.DesktopDefault = int32_t(uint32_t(leadingNumber(config.RememberedDesktopIcon)));
    } else {
        config.DesktopDefault = readNumber(settings, "Desktop", 0);
    }
    config.ProgParameter = readString(settings, "ProgParameter", "");
    config.StartProg = readFlag(settings, "StartProg");
    config.Reboot = readFlag(settings, "Reboot");
    config.NoUninstall = readFlag(settings, "NoUninstall");
    config.StartMenu = readFlag(settings, "StartMenu");
    config.ScriptFile = readString(settings, "ScriptFile", "");

    config.InstallDirDefault =
        expandPath(chosenInstallDir(state.ParamInstallDir, config.RememberedInstallDir, defaultDir), true, folder);
    config.DefaultFolderName = defaultFolderNameOf(defaultDir);

    closeSettings(settings);
}
