// The interface texts of the setup program, their built-in English
// defaults, the language files that replace them, and the choice of the
// language file from the "[Settings] Language" list. The system answers the
// choice needs (the user's language, the chooser window) are handed in, so
// these rules run natively as well as in Install.exe.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "payload/file_system.h"
#include "payload/settings_file.h"

// One entry per text, in the order the language file's sections are read.
// Each name is the entry's section and key as the language file writes them.
enum StringEntry : uint8_t {
    Install_Msg0,
    Install_Msg1,
    Install_Msg2,
    Install_Msg3,
    Install_Msg5,
    Install_Msg6,
    Install_Ready,
    Install_Help,
    Install_Homepage,
    Install_Uninstall,
    Page01_Titel,
    Page01_Msg1,
    Page01_Msg2,
    Page01_Msg3,
    Page02_Titel,
    Page02_Msg,
    Page02_AcceptYes,
    Page02_AcceptNo,
    Page03_Titel,
    Page03_Msg,
    Page03_ProgDir,
    Page03_MenuDir,
    Page03_NoStartMenu,
    Page03_DesktopIcon,
    Page04_Titel,
    Page04_Msg,
    Page05_Titel1,
    Page05_Msg,
    Page05_Install,
    Page05_RunProg,
    Page05_Ready,
    Requester_RQ1_Titel,
    Requester_RQ1_Msg,
    Requester_RQ2_Titel,
    Requester_RQ3_Titel,
    Requester_RQ3_User,
    Requester_RQ3_AllUsers,
    Requester_RQ4_Titel,
    Requester_RQ4_Msg,
    Requester_RQ4_Msg2,
    Requester_RQ5_Titel,
    Requester_RQ5_Msg,
    Requester_RQ6_Titel,
    Requester_RQ6_Msg,
    Requester_RQ7_Titel,
    Requester_RQ7_Msg,
    FileVersion_Window,
    FileVersion_FrameOld,
    FileVersion_FrameNew,
    FileVersion_Msg,
    FileVersion_Version,
    FileVersion_Lang,
    FileVersion_Desc,
    FileVersion_NotAvailable,
    LoginAdmin_Window,
    LoginAdmin_User,
    LoginAdmin_Password,
    StartMenu_IUpdater,
    Buttons_Login,
    Buttons_Next,
    Buttons_Back,
    Buttons_Apply,
    Buttons_Cancel,
    Buttons_Change,
    Buttons_Install,
    Buttons_Finish,
    Buttons_Yes,
    Buttons_No,
    Uninstaller_Titel,
    Uninstaller_Msg,
    Uninstaller_Version,
    Uninstaller_UninstInfo,
    Uninstaller_DelAll,
    Uninstaller_Error,
    Uninstaller_Status,
    Uninstaller_OK,
    Uninstaller_Cancel,
    Uninstaller_Ready,
    StringEntryCount
};

// Where an entry lives in a language file and what it says without one.
struct StringEntryInfo {
    const char* section;      // group name in the language file
    const char* key;          // key inside that group
    const char* defaultText;  // built-in text; "" for the five built from the title and version
};

// The one table of interface texts: empty until loadLanguageFile, then read-only.
struct StringTable {
    std::array<std::string, StringEntryCount> texts;  // indexed by StringEntry
};

const StringEntryInfo& stringEntryInfo(StringEntry entry);

// The built-in default of an entry; the five that name the product are built
// from `[Info] Titel` and `[Info] Version`.
std::string defaultText(StringEntry entry, const std::string& titel, const std::string& version);

// Fills every entry from the language file at `path`, section by section; an
// entry keeps its default when the file, its section or its key is missing (a
// key with an empty value gives ""). Uses and then closes `settings`.
void loadLanguageFile(StringTable& table, SettingsFile& settings, FileSystem& fs, const std::string& path,
                      const std::string& titel, const std::string& version);

// The entry's text as loaded.
const std::string& text(const StringTable& table, StringEntry entry);

// Every occurrence of `placeholder` (case-sensitive) replaced by `value`, as
// for "$Titel" in [Requester] RQ4_Msg and "$Extension" in [Requester] RQ5_Msg.
std::string replacePlaceholder(const std::string& text, const std::string& placeholder, const std::string& value);

// ---- Choosing the language file --------------------------------------------

// The low 9 bits of a Windows language identifier: what the list's numbers are
// compared with (and what %LanguageID% shows).
constexpr uint16_t languageNumberMask = 0x1FF;

// One examined entry of a language list such as "Deutsch.lng#7|English.lng#9|".
struct LanguageEntry {
    std::string fileName;  // the entry up to its first "#"
    long long number = 0;  // the leading number of its second "#" field; 0 without one
};

// The entries that count: one per "|" of the list; text after the last "|" is not examined.
std::vector<LanguageEntry> languageEntries(const std::string& list);

// How the chooser shows an entry: a blank, then the file name up to its first ".".
std::string chooserItemText(const LanguageEntry& entry);

// The file whose number equals the user's language masked to 9 bits (the
// last such entry when several match), or "". Sets `languageNumber`.
std::string matchLanguage(const std::string& list, uint16_t userLanguage, uint16_t& languageNumber);

// Shows the chooser for a list and returns the chosen file name, or "".
using LanguageChooser = std::string (*)(const std::string& list);

// The whole choice: a list with at most one "|" names its file directly (no
// matching, `languageNumber` untouched); a longer one is matched against the
// user's language, and when nothing matches the user picks in `chooser`.
std::string chooseLanguageFile(const std::string& list, uint16_t userLanguage, LanguageChooser chooser,
                               uint16_t& languageNumber);
