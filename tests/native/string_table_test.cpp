// The string table: its 79 defaults, the language file that replaces them,
// and the choice of the language file from the "[Settings] Language" list.
#include <gtest/gtest.h>

#include "memory_file_system.h"
#include "wizard/string_table.h"

namespace {

const std::string langPath = "C:\\Temp\\{GUID}\\Deutsch.lng";

// Every entry with its section, key and the text it shows without a language
// file, typed from the product's text list. The built texts are those for the
// title "Tool" and version "1.2", after "|" became a line feed in the two titles.
struct DefaultCase {
    const char* section;
    const char* key;
    const char* text;
};

const DefaultCase defaults[] = {
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
    {"Page01", "Titel", "Welcome to the installation of\n'Tool'"},
    {"Page01", "Msg1", "Quillbox will now install 'Tool' version 1.2 on your computer."},
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
    {"Page05", "Titel1", "Installation of\n'Tool'"},
    {"Page05", "Msg", "Click 'Install' to start installation!"},
    {"Page05", "Install", "Install Program 'Tool'"},
    {"Page05", "RunProg", "Start program after closing Quillbox."},
    {"Page05", "Ready", "Installation completed"},
    {"Requester", "RQ1_Titel", "Select Start Menu Folder"},
    {"Requester", "RQ1_Msg", "No valid start menu folder."},
    {"Requester", "RQ2_Titel", "Please select a directory"},
    {"Requester", "RQ3_Titel", "Select Directory"},
    {"Requester", "RQ3_User", "Current User"},
    {"Requester", "RQ3_AllUsers", "All Users"},
    {"Requester", "RQ4_Titel", "Quillbox - Warning"},
    {"Requester", "RQ4_Msg", "Close Program 'Tool' first!"},
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

// A file system, a settings record and a table; `load` reads one language file.
class LanguageFileTest : public ::testing::Test {
protected:
    MemoryFileSystem fs;
    SettingsFile settings;
    StringTable table;

    void load(const std::string& content, const std::string& titel = "Tool", const std::string& version = "1.2") {
        fs.addFile(langPath, content);
        loadLanguageFile(table, settings, fs, langPath, titel, version);
    }
    const std::string& at(StringEntry entry) const { return text(table, entry); }
};

// ---- Defaults --------------------------------------------------------------

TEST_F(LanguageFileTest, WithoutFileEveryEntryShowsItsQuotedDefault) {
    ASSERT_EQ(std::size(defaults), size_t(StringEntryCount));
    loadLanguageFile(table, settings, fs, "C:\\Temp\\{GUID}\\missing.lng", "Tool", "1.2");
    for (uint8_t i = 0; i < StringEntryCount; ++i) {
        const auto entry = StringEntry(i);
        SCOPED_TRACE(std::string("[") + defaults[i].section + "] " + defaults[i].key);
        EXPECT_STREQ(stringEntryInfo(entry).section, defaults[i].section);
        EXPECT_STREQ(stringEntryInfo(entry).key, defaults[i].key);
        EXPECT_EQ(at(entry), defaults[i].text);
    }
    EXPECT_EQ(at(Buttons_Next), "Next") << "the enumeration names its own entry";
    EXPECT_EQ(at(Uninstaller_Ready), "Ready");
}

TEST_F(LanguageFileTest, EmptyPathGivesTheDefaults) {
    // An unnamed language file makes the path the temporary folder itself.
    fs.addFolder("C:\\Temp\\{GUID}");
    loadLanguageFile(table, settings, fs, "C:\\Temp\\{GUID}\\", "Tool", "1.2");
    EXPECT_EQ(at(Buttons_Finish), "Exit");
    EXPECT_EQ(at(Page05_Install), "Install Program 'Tool'");
}

TEST(StringTableDefaults, BuiltDefaultsTakeTitleAndVersionAsTheyStand) {
    const std::string titel = "A|B 'x' $Titel", version = "";
    EXPECT_EQ(defaultText(Page01_Titel, titel, version), "Welcome to the installation of|'A|B 'x' $Titel'");
    EXPECT_EQ(defaultText(Page01_Msg1, titel, version), "Quillbox will now install 'A|B 'x' $Titel' version  on your computer.");
    EXPECT_EQ(defaultText(Page05_Titel1, titel, version), "Installation of|'A|B 'x' $Titel'");
    EXPECT_EQ(defaultText(Page05_Install, titel, version), "Install Program 'A|B 'x' $Titel'");
    EXPECT_EQ(defaultText(Requester_RQ4_Msg, titel, version), "Close Program 'A|B 'x' $Titel' first!");
    // The fixed ones do not depend on the title.
    EXPECT_EQ(defaultText(Buttons_Next, titel, version), "Next");
}

TEST_F(LanguageFileTest, BarInTheTitleBreaksOnlyTheTwoTitles) {
    load("", "A|B", "1");
    EXPECT_EQ(at(Page01_Titel), "Welcome to the installation of\n'A\nB'");
    EXPECT_EQ(at(Page05_Titel1), "Installation of\n'A\nB'");
    EXPECT_EQ(at(Page05_Install), "Install Program 'A|B'");
    EXPECT_EQ(at(Page01_Msg1), "Quillbox will now install 'A|B' version 1 on your computer.");
    EXPECT_EQ(at(Requester_RQ4_Msg), "Close Program 'A|B' first!");
}

// ---- Loading a language file ----------------------------------------------

TEST_F(LanguageFileTest, BarBecomesLineFeedOnlyInTheTwoTitles) {
    // Every key of every section set to the same text with a "|".
    std::string file;
    std::string section;
    for (uint8_t i = 0; i < StringEntryCount; ++i) {
        const StringEntryInfo& info = stringEntryInfo(StringEntry(i));
        if (section != info.section) file += "[" + (section = info.section) + "]\r\n";
        file += std::string(info.key) + " = one|two|\r\n";
    }
    load(file);
    for (uint8_t i = 0; i < StringEntryCount; ++i) {
        const auto entry = StringEntry(i);
        const bool title = entry == Page01_Titel || entry == Page05_Titel1;
        EXPECT_EQ(at(entry), title ? "one\ntwo\n" : "one|two|")
            << "[" << stringEntryInfo(entry).section << "] " << stringEntryInfo(entry).key;
    }
}

TEST_F(LanguageFileTest, PresentMissingAndEmptyKeys) {
    load("[Buttons]\r\n"
         "Next = Weiter\r\n"
         "Back =\r\n"            // present but empty: shows nothing
         "cancel=Abbrechen\r\n"  // names ignore case
         "Unknown = ignored\r\n"
         "[page05]\r\n"
         "Install = Programm '$Titel' installieren\r\n"
         "[Requester]\r\n"
         "RQ4_Msg = Erst '$Titel' beenden!\r\n"
         "RQ4_Msg2\r\n");  // a key without "=" is present with an empty value
    EXPECT_EQ(at(Buttons_Next), "Weiter");
    EXPECT_EQ(at(Buttons_Back), "");
    EXPECT_EQ(at(Buttons_Cancel), "Abbrechen");
    EXPECT_EQ(at(Buttons_Finish), "Exit") << "missing key keeps its default";
    EXPECT_EQ(at(Page05_Install), "Programm '$Titel' installieren") << "the built default is replaced, not merged";
    EXPECT_EQ(at(Requester_RQ4_Msg), "Erst '$Titel' beenden!") << "the placeholder is left for the caller";
    EXPECT_EQ(at(Requester_RQ4_Msg2), "");
    EXPECT_EQ(at(Page01_Titel), "Welcome to the installation of\n'Tool'") << "missing section keeps the built default";
    EXPECT_EQ(at(Uninstaller_Titel), "uninstall Program");
}

TEST_F(LanguageFileTest, SameKeyInDifferentSectionsStaysApart) {
    // Keys such as Titel, Ready, Cancel and Window live in several sections.
    load("[Uninstaller]\r\nTitel = U\r\nReady = UR\r\nCancel = UC\r\nVersion = UV\r\n"
         "[Page03]\r\nTitel = P3\r\n"
         "[Install]\r\nReady = IR\r\n"
         "[LoginAdmin]\r\nWindow = LW\r\n"
         "[Buttons]\r\nTitel = wrong\r\nInstall = BI\r\n");
    EXPECT_EQ(at(Uninstaller_Titel), "U");
    EXPECT_EQ(at(Uninstaller_Ready), "UR");
    EXPECT_EQ(at(Uninstaller_Cancel), "UC");
    EXPECT_EQ(at(Uninstaller_Version), "UV");
    EXPECT_EQ(at(Page03_Titel), "P3");
    EXPECT_EQ(at(Install_Ready), "IR");
    EXPECT_EQ(at(LoginAdmin_Window), "LW");
    EXPECT_EQ(at(Buttons_Install), "BI");
    // The same keys in the other sections keep their defaults.
    EXPECT_EQ(at(Page02_Titel), "Licence Agreement");
    EXPECT_EQ(at(Page04_Titel), "Information");
    EXPECT_EQ(at(Page05_Ready), "Installation completed");
    EXPECT_EQ(at(Buttons_Cancel), "Cancel");
    EXPECT_EQ(at(FileVersion_Window), "Copy File");
    EXPECT_EQ(at(FileVersion_Version), "Version:");
    EXPECT_EQ(at(Page05_Install), "Install Program 'Tool'");
}

TEST_F(LanguageFileTest, Utf8FileWithByteOrderMarkIsConvertedTo8Bit) {
    load("\xEF\xBB\xBF[Buttons]\r\nNext = Weiter \xC2\xBB\r\nBack = Zur\xC3\xBC" "ck\r\n"
         "[Page01]\r\nTitel = Willkommen bei|\xC3\x84pfel\r\n");
    EXPECT_EQ(at(Buttons_Next), "Weiter \xBB");
    EXPECT_EQ(at(Buttons_Back), "Zur\xFC" "ck");
    EXPECT_EQ(at(Page01_Titel), "Willkommen bei\n\xC4pfel");
}

TEST_F(LanguageFileTest, FileIsLeftUntouchedAndClosed) {
    const std::string content = "[Buttons]\nNext=Weiter\n";
    load(content);
    EXPECT_EQ(fs.content(langPath), content);
    EXPECT_EQ(fs.heldOpen, 0);
    EXPECT_EQ(settings.fs, nullptr) << "the one settings file is free for the next reader";
}

TEST_F(LanguageFileTest, SecondLoadReplacesEveryEntry) {
    load("[Buttons]\nNext=Weiter\n");
    loadLanguageFile(table, settings, fs, "C:\\missing.lng", "Other", "2");
    EXPECT_EQ(at(Buttons_Next), "Next");
    EXPECT_EQ(at(Page05_Install), "Install Program 'Other'");
}

TEST(StringTablePlaceholder, EveryOccurrenceCaseSensitive) {
    struct Case {
        std::string text, placeholder, value, expected;
    } cases[] = {
        {"Close Program '$Titel' first!", "$Titel", "Tool", "Close Program 'Tool' first!"},
        {"$Titel and $Titel", "$Titel", "X", "X and X"},
        {"$titel stays", "$Titel", "X", "$titel stays"},
        {"$Titel$Titel", "$Titel", "", ""},
        {"no placeholder", "$Titel", "X", "no placeholder"},
        {"$Extension", "$Extension", "$Extension.bak", "$Extension.bak"},  // not replaced again
        {"abc", "", "X", "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(replacePlaceholder(c.text, c.placeholder, c.value), c.expected) << c.text;
}

// ---- The language list -----------------------------------------------------

TEST(LanguageList, EntriesAndChooserItems) {
    struct Case {
        std::string list;
        std::vector<std::string> items;  // as the chooser shows them
        std::vector<long long> numbers;
    } cases[] = {
        {"Deutsch.lng#7|English.lng#9|", {" Deutsch", " English"}, {7, 9}},
        {"Deutsch.lng#7|English.lng#9", {" Deutsch"}, {7}},  // nothing after the last "|" counts
        {"", {}, {}},
        {"English.lng", {}, {}},
        {"||", {" ", " "}, {0, 0}},
        {"my.file.lng#9#7|NoDot#+12x|#3|", {" my", " NoDot", " "}, {9, 12, 3}},
        {"a.lng# \t7|b.lng#|c.lng|", {" a", " b", " c"}, {7, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> items;
        std::vector<long long> numbers;
        for (const LanguageEntry& e : languageEntries(c.list)) {
            items.push_back(chooserItemText(e));
            numbers.push_back(e.number);
        }
        EXPECT_EQ(items, c.items) << c.list;
        EXPECT_EQ(numbers, c.numbers) << c.list;
    }
    EXPECT_EQ(languageEntries("my.file.lng#9#7|")[0].fileName, "my.file.lng");
}

// What the chooser was asked and what it answers.
struct ChooserRecord {
    int calls = 0;
    std::string list;
    std::string answer;
};
ChooserRecord chooserRecord;

std::string recordingChooser(const std::string& list) {
    ++chooserRecord.calls;
    chooserRecord.list = list;
    return chooserRecord.answer;
}

TEST(LanguageChoice, ByListAndUserLanguage) {
    const std::string two = "Deutsch.lng#7|English.lng#9|";
    struct Case {
        const char* name;
        std::string list;
        uint16_t userLanguage;
        std::string chooserAnswer;  // what the user picks when asked
        std::string expected;
        uint16_t languageNumber;    // 0: matching did not run
        bool chooserShown;
    } cases[] = {
        {"empty list", "", 0x0407, "x", "", 0, false},
        {"single name", "English.lng", 0x0407, "x", "English.lng", 0, false},
        {"single entry", "English.lng#9|", 0x0407, "x", "English.lng", 0, false},
        {"one bar names the first file", "Deutsch.lng#7|English.lng#9", 0x0409, "x", "Deutsch.lng", 0, false},
        {"one entry, number not read", "a.lng#007|", 0x0409, "x", "a.lng", 0, false},
        {"bar before the hash", "a.lng|#9", 0x0409, "x", "a.lng", 0, false},
        {"German", two, 0x0407, "x", "Deutsch.lng", 7, false},
        {"English", two, 0x0409, "x", "English.lng", 9, false},
        {"Swiss German matches German", two, 0x0807, "x", "Deutsch.lng", 7, false},
        {"French asks", two, 0x040C, "English.lng", "English.lng", 12, true},
        {"French, chooser closed", two, 0x040C, "", "", 12, true},
        {"last match wins", "a.lng#7|b.lng#7|", 0x0407, "x", "b.lng", 7, false},
        {"blank before number", "a.lng# 7|b.lng#9|", 0x0407, "x", "a.lng", 7, false},
        {"sign and trailing text", "a.lng#+7th|b.lng#9|", 0x0407, "x", "a.lng", 7, false},
        {"negative never matches", "a.lng#-7|b.lng#9|", 0x0407, "", "", 7, true},
        {"third hash field ignored", "a.lng#9#7|b.lng#7|", 0x0409, "x", "a.lng", 9, false},
        {"after the last bar not examined", "a.lng#8|b.lng#8|c.lng#7", 0x0407, "c.lng", "c.lng", 7, true},
        {"middle of three", "a.lng#7|b.lng#9|c.lng#12|", 0x0409, "x", "b.lng", 9, false},
        {"no hash is 0, custom locale", "a.lng|b.lng#9|", 0x0C00, "x", "a.lng", 0, false},
        {"no hash, ordinary language", "a.lng|b.lng#9|", 0x0409, "x", "b.lng", 9, false},
        {"nine bits, not ten", "x.lng#521|e.lng#9|", 0x0209, "x", "e.lng", 9, false},
        {"matching empty name asks", "#7|b.lng#9|", 0x0407, "b.lng", "b.lng", 7, true},
    };
    for (const Case& c : cases) {
        chooserRecord = ChooserRecord{0, "", c.chooserAnswer};
        uint16_t languageNumber = 0;
        EXPECT_EQ(chooseLanguageFile(c.list, c.userLanguage, recordingChooser, languageNumber), c.expected) << c.name;
        EXPECT_EQ(languageNumber, c.languageNumber) << c.name;
        EXPECT_EQ(chooserRecord.calls, c.chooserShown ? 1 : 0) << c.name;
        if (c.chooserShown) EXPECT_EQ(chooserRecord.list, c.list) << c.name;
    }
}

TEST(LanguageChoice, MatchingAloneSetsTheNumberEvenWithoutMatch) {
    uint16_t languageNumber = 0;
    EXPECT_EQ(matchLanguage("Deutsch.lng#7|English.lng#9|", 0x040C, languageNumber), "");
    EXPECT_EQ(languageNumber, 12);
    EXPECT_EQ(matchLanguage("Deutsch.lng#7|English.lng#9|", 0xFFFF, languageNumber), "");
    EXPECT_EQ(languageNumber, 0x1FF);
}

}  // namespace
