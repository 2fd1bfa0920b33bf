// Path variables and folder codes: the text rules, free of any system call.
// The folders themselves are handed in (`FolderLookup`), so the rules are the
// same in Install.exe and in the native tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Folder codes: zero and above are the shell's CSIDL values, the negative
// codes and 43 are the setup program's own.
enum FolderCode : int32_t {
    FolderEmergenceBasic = -10,  // the Emergence BASIC product's folder
    FolderAurora = -9,           // the Aurora product's folder
    FolderPureBasic = -7,        // the PureBasic product's folder
    FolderProgramFiles = -6,     // program files, from the registry
    FolderQuickLaunch = -5,      // application data + the Quick Launch path
    FolderTemp = -4,             // the temporary folder
    FolderWindows = -3,          // the Windows folder
    FolderSystem = -2,           // the system folder
    FolderCurrent = -1,          // the current working folder
    FolderDesktop = 0,           // CSIDL_DESKTOP: the user's desktop
    FolderPrograms = 2,          // CSIDL_PROGRAMS: the user's Programs menu
    FolderPersonal = 5,          // CSIDL_PERSONAL: My Documents
    FolderStartup = 7,           // CSIDL_STARTUP: the user's Startup folder
    FolderFonts = 20,            // CSIDL_FONTS
    FolderCommonPrograms = 23,   // CSIDL_COMMON_PROGRAMS: all users' Programs menu
    FolderAppData = 26,          // CSIDL_APPDATA
    FolderCommonFiles = 43,      // common files, from the registry (not from the shell)
};

// A folder for a code, ending in '\', or "" when unknown.
using FolderLookup = std::function<std::string(int32_t code)>;

// One '\' appended unless the path already ends in one; "" becomes "\".
std::string addBackslash(const std::string& path);

// A folder as specialFolder hands it out: "" stays "" (unknown), anything else
// ends in '\'.
std::string asFolder(const std::string& path);

// The publisher's path with its twelve path variables replaced by the folders
// that `folder` gives. A drive path comes back unchanged; a text with fewer than
// two '%' is put below the program files folder when `relativeToProgramFiles`.
std::string expandPath(const std::string& text, bool relativeToProgramFiles, const FolderLookup& folder);

// The text of a registry value as returned in `bytes` (the returned size):
// up to the terminating NUL, whatever the value's type.
std::string registryValueText(std::string_view bytes);

// The folder part of the stored open command of the PureBasic product, such
// as "C:\Dev\PureBasic\PureBasic.exe" "%1", ending in its separator; "" when
// it holds none.
std::string pureBasicFolderOf(const std::string& command);

// Code -5: the Quick Launch folder below the application-data folder; only the
// relative part when application data is unknown.
std::string quickLaunchFolderOf(const std::string& appData);

// Codes -9 and -10: the product's BIN folder without its last three characters
// (the "bin"); when that value is empty, the program files folder (without its
// trailing '\') followed by `fallbackSuffix`.
std::string productFolderOf(const std::string& binValue, const std::string& programFiles,
                            const std::string& fallbackSuffix);
