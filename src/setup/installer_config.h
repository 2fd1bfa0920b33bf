// The installer configuration: setup.ini, the choices remembered from an
// earlier installation and the /P and /S options, combined into one record.
// The system answers (remembered values, folders) are handed in, so every
// rule here runs the same natively and in Install.exe.
#pragma once

#include <cstdint>
#include <string>

#include "payload/file_system.h"
#include "payload/settings_file.h"
#include "setup/setup_state.h"
#include "system/folders.h"

// Shown wherever the product has no title; spelled as the product always has.
inline constexpr char kUnknownTitle[] = "--- unkown ---";

struct InstallerConfig {
    std::string Language;           // [Settings] Language: "file#number|" per language file
    std::string ProgExe;            // [Settings] ProgExe: main program, relative to the install folder
    uint8_t Split = 0;              // [Settings] Split: program files in a pack next to the setup program
    std::string Titel = kUnknownTitle;  // [Info] Titel: product title
    std::string Version;            // [Info] Version: appended to the title
    std::string GUID;               // [Info] GUID: names the remembered-choices key and the uninstall entry
    std::string PrgSize;            // [Info] PrgSize: required disk space, as text
    int32_t PrgFlag = 1;            // [Info] PrgFlag: not 0 runs BeforeSetup whatever the run mode
    std::string MutexString;        // [Task] MutexString: mutex the installed program holds while running
    std::string BeforeSetup;        // [UserTask] BeforeSetup: payload program run before the wizard
    std::string BeforeParam;        // [UserTask] BeforeParam: its arguments
    std::string WhileSetup;         // [UserTask] WhileSetup: payload program run beside the wizard
    std::string WhileParam;         // [UserTask] WhileParam: its arguments
    std::string AfterSetup;         // [UserTask] AfterSetup: payload program run after the wizard
    std::string AfterParam;         // [UserTask] AfterParam: its arguments
    std::string Uninst1Prog;        // [UserTask] Uninst1Prog: first program for the uninstaller
    std::string Uninst1Param;       // [UserTask] Uninst1Param: its arguments
    std::string Uninst2Prog;        // [UserTask] Uninst2Prog: second program for the uninstaller
    std::string Uninst2Param;       // [UserTask] Uninst2Param: its arguments
    std::string Web;                // [Info] Web: homepage address
    std::string InstallDirDefault;  // install folder offered: /P, remembered, or [Settings] DefaultDir, expanded
    std::string DefaultFolderName;  // last folder name of [Settings] DefaultDir, kept on a picked folder
    std::string NoCopyExt;          // [Settings] NoCopyExt: extensions not overwritten, "ext|" each
    std::string StartMenuFolder;    // start-menu folder offered: /S, remembered, or [StartMenue] DefaultDir
    std::string StartMenuPath;      // Programs folder + StartMenuFolder + '\', set by the wizard or update mode
    std::string ProgLink;           // [StartMenue] ProgLink: name of the main program's shortcuts
    int32_t DesktopDefault = 0;     // initial desktop-icon choice: remembered, or [Task] Desktop
    std::string ProgParameter;      // [Task] ProgParameter: arguments in the main program's shortcuts
    uint8_t StartProg = 0;          // [Task] StartProg: start the main program at the end
    uint8_t Reboot = 0;             // [Task] Reboot: offer a restart at the end
    uint8_t NoUninstall = 0;        // [Task] NoUninstall: no uninstall entry and no uninstall data
    uint8_t StartMenu = 0;          // [Task] StartMenu: create start-menu entries
    std::string ScriptFile;         // [Task] ScriptFile: payload script run at the end
    std::string Date;               // [Info] Date: release date, read by the installation
    std::string Author;             // [Info] Author: read by the installation
    std::string EMail;              // [Info] EMail: read by the installation
    std::string RememberedInstallDir;   // remembered InstallDir: last install folder
    std::string RememberedStartMenu;    // remembered StartMenu: last start-menu folder
    std::string RememberedDesktopIcon;  // remembered DesktopIcon: "1" or "0"
};

// The three values remembered from an earlier installation of the same
// product ("" each when nothing is remembered).
struct RememberedChoices {
    std::string InstallDir;   // value InstallDir
    std::string StartMenu;    // value StartMenu
    std::string DesktopIcon;  // value DesktopIcon
};

// The remembered-choices key below HKEY_CURRENT_USER for a product GUID.
std::string rememberedChoicesKey(const std::string& guid);

// What the checks before the wizard need: [Settings] Language, ProgExe, Split;
// [Info] Titel, Version, GUID, PrgSize, PrgFlag; [Task] MutexString; the
// [UserTask] programs. A missing file leaves every default.
void ReadStartupConfig(InstallerConfig& config, SettingsFile& settings, FileSystem& fs,
                       const std::string& iniPath);

// The rest: the remembered values, [Info] Web, [Settings] DefaultDir and
// NoCopyExt, [StartMenue] DefaultDir and ProgLink, the [Task] switches; then
// the install folder, folder name, start-menu folder and desktop icon are
// resolved, with /P and /S from `state` first. `folder` answers for the path
// variables of the install folder.
void ReadInstallerConfig(InstallerConfig& config, SettingsFile& settings, FileSystem& fs,
                         const SetupState& state, const RememberedChoices& remembered,
                         const FolderLookup& folder);

// The folder name that a folder picked by the user keeps at its end: the last
// component of a [Settings] DefaultDir value (after its path variable).
std::string defaultFolderNameOf(const std::string& defaultDir);
