// The text rules of the wizard's folder fields, the folder browser and the
// start-menu folder chooser.
#include <gtest/gtest.h>

#include "wizard/navigation.h"

namespace {

struct FolderCase {
    const char* input;
    const char* folderName;
    const char* expected;
};

TEST(NavigationRules, InstallFolderFieldLosingFocus) {
    const FolderCase cases[] = {
        {"D:\\Apps", "Tool", "D:\\Apps\\Tool"},
        {"D:\\Apps\\", "Tool", "D:\\Apps\\Tool"},
        {"D:\\Toolbox", "Tool", "D:\\Toolbox"},             // holds "Tool" somewhere
        {"D:\\Apps\\tool", "Tool", "D:\\Apps\\tool\\Tool"},  // the check is case-sensitive
        {"D:\\Apps\\Tool\\", "Tool", "D:\\Apps\\Tool\\"},
        {"D:\\Apps", "", "D:\\Apps\\"},                      // an empty name adds only the '\'
        {"D:\\Apps\\", "", "D:\\Apps\\"},
        {"", "Tool", "\\Tool"},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(completeInstallFolderText(c.input, c.folderName), c.expected) << c.input << " / " << c.folderName;
}

TEST(NavigationRules, BrowsedInstallFolder) {
    const FolderCase cases[] = {
        {"D:\\Apps\\", "Tool", "D:\\Apps\\Tool"},
        {"D:\\Apps\\Tool\\", "Tool", "D:\\Apps\\Tool\\"},  // used unchanged
        {"D:\\Apps\\Tool", "Tool", "D:\\Apps\\Tool"},
        {"D:\\Toolbox\\", "Tool", "D:\\Toolbox\\Tool"},    // only the end counts here
        {"D:\\", "Tool", "D:\\Tool"},
        {"D:\\Apps\\", "", "D:\\Apps\\"},
        {"", "Tool", ""},                                  // cancelled: no change
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(browsedInstallFolderText(c.input, c.folderName), c.expected) << c.input << " / " << c.folderName;
}

TEST(NavigationRules, BrowserStartFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\Tool\\", "C:\\Program Files\\Tool"},
        {"C:\\Program Files\\Tool", "C:\\Program Files\\Tool"},
        {"C:\\", "C:\\"},  // a drive root keeps its '\'
        {"C:\\A\\", "C:\\A"},
        {"", ""},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(browserStartFolder(input), expected) << input;
}

TEST(NavigationRules, StartMenuFieldLosingFocus) {
    const FolderCase cases[] = {
        {"", "Tool", "Tool"},                     // emptied: the folder comes back
        {"", "Company\\Tool", "Company\\Tool"},
        {"Games", "Tool", "Games\\Tool"},
        {"Games\\", "Tool", "Games\\Tool"},
        {"Tool\\", "Tool", "Tool\\"},
        {"My Tools", "Tool", "My Tools"},         // holds "Tool" somewhere
        {"Games\\tool", "Tool", "Games\\tool\\Tool"},
        {"Games", "Company\\Tool", "Games\\Company\\Tool"},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(completeStartMenuFieldText(c.input, c.folderName), c.expected) << c.input << " / " << c.folderName;
}

TEST(NavigationRules, LastFolderName) {
    const std::pair<const char*, const char*> cases[] = {
        {"Company\\Tool", "Tool"}, {"Company\\Tool\\", "Tool"}, {"Tool", "Tool"}, {"Tool\\", "Tool"}, {"", ""},
        {"A\\B\\C", "C"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(lastFolderName(input), expected) << input;
}

TEST(NavigationRules, StartMenuChooserResult) {
    struct Case {
        const char* result;
        const char* startMenuFolder;
        bool changes;
        const char* field;
        const char* path;
    };
    const Case cases[] = {
        {"Games|C:\\Menu\\Programs\\", "Company\\Tool", true, "Games\\Tool\\", "C:\\Menu\\Programs\\Games\\Tool\\"},
        {"Company\\Tool|C:\\Menu\\Programs\\", "Company\\Tool", true, "Company\\Tool\\",
         "C:\\Menu\\Programs\\Company\\Tool\\"},
        {"Games\\|C:\\P\\", "Tool", true, "Games\\Tool\\", "C:\\P\\Games\\Tool\\"},
        {"Games\\Tool|C:\\P", "Tool", true, "Games\\Tool\\", "C:\\P\\Games\\Tool\\"},  // Programs without '\'
        {"Toolbox|C:\\P\\", "Tool", true, "Toolbox\\Tool\\", "C:\\P\\Toolbox\\Tool\\"},
        {"|C:\\P\\", "Tool", false, "", ""},  // no valid selection
        {"", "Tool", false, "", ""},          // chooser closed
    };
    for (const Case& c : cases) {
        StartMenuChoice choice;
        EXPECT_EQ(chosenStartMenuFolder(c.result, c.startMenuFolder, choice), c.changes) << c.result;
        if (!c.changes) continue;
        EXPECT_EQ(choice.FieldText, c.field) << c.result;
        EXPECT_EQ(choice.Path, c.path) << c.result;
    }
}

}  // namespace

namespace {

TEST(NavigationRules, MainProgramName) {
    struct Case {
        const char* progExe;
        bool exe;
        const char* folder;
    };
    const Case cases[] = {
        {"Tool.exe", true, "Tool"},        {"TOOL.EXE", true, "TOOL"},     {"Tool.Exe", true, "Tool"},
        {"Tool.bat", false, "Tool"},       {"Tool", false, "Tool"},        {"Tool.v2.exe", true, "Tool"},
        {"bin\\Tool.exe", true, "bin\\Tool"}, {"Tool.exe.txt", false, "Tool"}, {"", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isExeProgram(c.progExe), c.exe) << c.progExe;
        EXPECT_EQ(nameBeforeFirstDot(c.progExe), c.folder) << c.progExe;
    }
}

}  // namespace
