// The run's string table and language, and the language chooser window.
#pragma once

#include <cstdint>
#include <string>

#include "wizard/string_table.h"

extern StringTable Strings;      // the one table of interface texts
extern uint16_t LanguageNumber;  // user language & 0x1FF once matching ran, else 0 (for %LanguageID%)

// Control IDs of LanguageWindow, so tests and window inspectors can find them.
enum LanguageWindowControl {
    LanguageCombo = 100,     // drop-down list of the offered languages
    LanguageOkButton = 101,  // takes the selected language
};

// The window title of LanguageWindow (with its leading blank).
inline constexpr char languageWindowTitle[] = " Quillbox";

// Shows LanguageWindow for the list and waits in its own message loop; the
// chosen entry's file name, or "" when the window is closed without a choice
// or cannot be created.
std::string showLanguageChooser(const std::string& list);

// The language file for `[Settings] Language`: named directly, matched with
// the user's default language (GetUserDefaultLangID), or chosen by the user.
std::string chooseLanguageFile(const std::string& list);

// Fills `Strings` from the language file at `path` through the one settings
// file; `titel` and `version` are `[Info] Titel` and `[Info] Version`.
void loadLanguageFile(const std::string& path, const std::string& titel, const std::string& version);

// A text of `Strings`.
inline const std::string& text(StringEntry entry) { return text(Strings, entry); }
