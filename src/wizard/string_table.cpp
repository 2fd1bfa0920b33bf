#include "wizard/string_table.h"

#include <algorithm>
#include <iterator>

#include "setup/command_line.h"

namespace {

// In StringEntry order, so the sections come in the order they are read.
// The texts are the program's own, odd spellings and capitals included.
const StringEntryInfo entries[] = {
    {"Install", "Msg0", "Required disk space:"},
    {"Install", "Msg1", "Copy Program Files"},
    {"Install", "Msg2", "Create Desktop Icon"},
    {"Install", "Msg3", "Create Startmenu Shortcuts"},
    {"Install", "Msg5", "Create Uninstaller Entry"},
    {"Install", "Msg6", "Create additional Links"},
    {"Install", "Ready", "Completed"},
    {"Install", "Help", "Help"},
    {"Install", "Homepage", "Homepage"},
    {"Install", "Uninstall", "Uninstall"},
    {"Page01", "Titel", ""},
    {"Page01", "Msg1", ""},
    {"Page01", "Msg2", "Click 'Next' to continue installation."},
    {"Page01", "Msg3", "Please close all other applications before continuing."},
    {"Page02", "Titel", "Licence Agreement"},
    {"Page02", "Msg", "Please read the following information before continuing."},
    {"Page02", "AcceptYes", "I accept the agreement"},
    {"Page02", "AcceptNo", "I do not accept the agreement"},
    {"Page03", "Titel", "Setup Settings"},
    {"Page03", "Msg", "Installation Directory, StartMenu Folder and Desktop Icon"},
    {"Page03", "ProgDir", "Install program in this directory:"},
    {"Page03", "MenuDir", "StartMenu folder for Program Shortcuts:"},
    {"Page03", "NoStartMenu", "Create no startmenu entry."},
    {"Page03", "DesktopIcon", "Create a desktop icon"},
    {"Page04", "Titel", "Information"},
    {"Page04", "Msg", "A short description of the program"},
    {"Page05", "Titel1", ""},
    {"Page05", "Msg", "Click 'Install' to start installation!"},
    {"Page05", "Install", ""},
    {"Page05", "RunProg", "Start program after closing Quillbox."},
    {"Page05", "Ready", "Installation completed"},
    {"Requester", "RQ1_Titel", "Select Start Menu Folder"},
    {"Requester", "RQ1_Msg", "No valid start menu folder."},
    {"Requester", "RQ2_Titel", "Please select a directory"},
    {"Requester", "RQ3_Titel", "Select Directory"},
    {"Requester", "RQ3_User", "Current User"},
    {"Requester", "RQ3_AllUsers", "All Users"},
    {"Requester", "RQ4_Titel", "Quillbox - Warning"},
    {"Requester", "RQ4_Msg", ""},
    {"Requester", "RQ4_Msg2", "Then press OK!"},
    {"Requester", "RQ5_Titel", "Associate File Extension"},
    {"Requester", "RQ5_Msg", "Associate File Extension '$Extension' with the program?"},
    {"Requester", "RQ6_Titel", "Error - Copy File"},
    {"Requester", "RQ6_Msg", "Copying file(s) failed."},
    {"Requester", "RQ7_Titel", "Error - Login"},
    {"Requester", "RQ7_Msg", "Login failed."},
    {"FileVersion", "Window", "Copy File"},
    {"FileVersion", "FrameOld", "Current File Version"},
    {"FileVersion", "FrameNew", "New File Version"},
    {"FileVersion", "Msg", "Replace the current file with this file version?"},
    {"FileVersion", "Version", "Version:"},
    {"FileVersion", "Lang", "Language:"},
    {"FileVersion", "Desc", "Description:"},
    {"FileVersion", "NotAvailable", "--- not available ---"},
    {"LoginAdmin", "Window", "Login as administrator"},
    {"LoginAdmin", "User", "Username:"},
    {"LoginAdmin", "Password", "Password:"},
    {"StartMenu", "IUpdater", "InternetUpdater"},
    {"Buttons", "Login", "Login"},
    {"Buttons", "Next", "Next"},
    {"Buttons", "Back", "Back"},
    {"Buttons", "Apply", "Apply"},
    {"Buttons", "Cancel", "Cancel"},
    {"Buttons", "Change", "Change"},
    {"Buttons", "Install", "Install"},
    {"Buttons", "Finish", "Exit"},
    {"Buttons", "Yes", "Yes"},
    {"Buttons", "No", "No"},
    {"Uninstaller", "Titel", "uninstall Program"},
    {"Uninstaller", "Msg", "Program files And registry entries will be removed."},
    {"Uninstaller", "Version", "Version"},
    {"Uninstaller", "UninstInfo", "Remove the following Program from your computer:"},
    {"Uninstaller", "DelAll", "Delete all(!) files in the directory (including user files)."},
    {"Uninstaller", "Error", "Uninstalling Program Not possible."},
    {"Uninstaller", "Status", "Uninstalling completed."},
    {"Uninstaller", "OK", "OK"},
    {"Uninstaller", "Cancel", "Cancel"},
    {"Uninstaller", "Ready", "Ready"},
};
static_assert(std::size(entries) == StringEntryCount, "one row per StringEntry");

// The two titles that may span two lines: "|" stands for the line break.
bool isTwoLineTitle(StringEntry entry) { return entry == Page01_Titel || entry == Page05_Titel1; }

// Field `index` (0-based) of `text` split at `separator`; "" past the last one.
std::string field(const std::string& text, char separator, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        size_t next = text.find(separator, start);
        if (next == std::string::npos) return std::string();
        start = next + 1;
    }
    return text.substr(start, text.find(separator, start) - start);
}

}  // namespace

const StringEntryInfo& stringEntryInfo(StringEntry entry) { return entries[entry]; }

std::string defaultText(StringEntry entry, const std::string& titel, const std::string& version) {
    switch (entry) {
    case Page01_Titel: return "Welcome to the installation of|'" + titel + "'";
    case Page01_Msg1: return "Quillbox will now install '" + titel + "' version " + version + " on your computer.";
    case Page05_Titel1: return "Installation of|'" + titel + "'";
    case Page05_Install: return "Install Program '" + titel + "'";
    case Requester_RQ4_Msg: return "Close Program '" + titel + "' first!";
    default: return entries[entry].defaultText;
    }
}

void loadLanguageFile(StringTable& table, SettingsFile& settings, FileSystem& fs, const std::string& path,
                      const std::string& titel, const std::string& version) {
    // A file that cannot be opened leaves every group missing, so every read
    // below gives its default.
    openSettings(settings, fs, path);
    std::string section;
    for (uint8_t i = 0; i < StringEntryCount; ++i) {
        const auto entry = StringEntry(i);
        const StringEntryInfo& info = entries[entry];
        if (section != info.section) {
            section = info.section;
            selectGroup(settings, section);
        }
        std::string value = readString(settings, info.key, defaultText(entry, titel, version));
        if (isTwoLineTitle(entry)) std::replace(value.begin(), value.end(), '|', '\n');
        table.texts[entry] = std::move(value);
    }
    closeSettings(settings);
}

const std::string& text(const StringTable& table, StringEntry entry) { return table.texts[entry]; }

std::string replacePlaceholder(const std::string& text, const std::string& placeholder, const std::string& value) {
    if (placeholder.empty()) return text;
    std::string out;
    size_t from = 0;
    for (size_t at; (at = text.find(placeholder, from)) != std::string::npos; from = at + placeholder.size())
        out += text.substr(from, at - from) + value;
    return out + text.substr(from);
}

std::vector<LanguageEntry> languageEntries(const std::string& list) {
    std::vector<LanguageEntry> result;
    size_t start = 0;
    for (size_t bar; (bar = list.find('|', start)) != std::string::npos; start = bar + 1) {
        const std::string entry = list.substr(start, bar - start);
        result.push_back({field(entry, '#', 0), leadingNumber(field(entry, '#', 1))});
    }
    return result;
}

std::string chooserItemText(const LanguageEntry& entry) {
    std::string item = " ";
    item.append(entry.fileName, 0, entry.fileName.find('.'));
    return item;
}

std::string matchLanguage(const std::string& list, uint16_t userLanguage, uint16_t& languageNumber) {
    languageNumber = userLanguage & languageNumberMask;
    std::string result;
    // No early stop: of several entries with the same number the last one wins.
    for (const LanguageEntry& entry : languageEntries(list))
        if (entry.number == languageNumber) result = entry.fileName;
    return result;
}

std::string chooseLanguageFile(const std::string& list, uint16_t userLanguage, LanguageChooser chooser,
                               uint16_t& languageNumber) {
    if (std::count(list.begin(), list.end(), '|') <= 1) return field(field(list, '#', 0), '|', 0);
    std::string file = matchLanguage(list, userLanguage, languageNumber);
    if (file.empty() && chooser) file = chooser(list);
    return file;
}
