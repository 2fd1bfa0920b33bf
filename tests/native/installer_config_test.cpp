// The installer configuration: setup.ini read in two passes over an in-memory
// file system, combined with remembered choices and the /P and /S options.
#include "setup/installer_config.h"

#include <gtest/gtest.h>

#include <optional>

#include "memory_file_system.h"

namespace {

const std::string kIniPath = "T:\\Temp\\{0C5A}\\setup.ini";

std::string folderOf(int32_t code) {
    switch (code) {
    case FolderProgramFiles: return "C:\\Program Files\\";
    case FolderWindows: return "C:\\Windows\\";
    default: return std::string();
    }
}

class InstallerConfigTest : public ::testing::Test {
protected:
    MemoryFileSystem fs;
    SettingsFile settings;
    SetupState state;
    InstallerConfig config;
    RememberedChoices remembered;

    InstallerConfigTest() { state.SetupIniPath = kIniPath; }
    ~InstallerConfigTest() override { closeSettings(settings); }

    void writeIni(const std::string& text) { fs.addFile(kIniPath, text); }
    void readBoth() {
        ReadStartupConfig(config, settings, fs, kIniPath);
        ReadInstallerConfig(config, settings, fs, state, remembered, folderOf);
    }
};

TEST_F(InstallerConfigTest, MissingFileGivesEveryDefault) {
    readBoth();
    EXPECT_EQ(config.Titel, "--- unkown ---");
    EXPECT_EQ(config.PrgFlag, 1);
    EXPECT_EQ(config.Language, "");
    EXPECT_EQ(config.ProgExe, "");
    EXPECT_EQ(config.Split, 0);
    EXPECT_EQ(config.GUID, "");
    EXPECT_EQ(config.MutexString, "");
    EXPECT_EQ(config.BeforeSetup, "");
    EXPECT_EQ(config.WhileSetup, "");
    EXPECT_EQ(config.AfterSetup, "");
    EXPECT_EQ(config.Web, "");
    EXPECT_EQ(config.NoCopyExt, "");
    // Nothing remembered and no DefaultDir: the program files folder itself.
    EXPECT_EQ(config.InstallDirDefault, "C:\\Program Files\\");
    EXPECT_EQ(config.DefaultFolderName, "");
    EXPECT_EQ(config.StartMenuFolder, "");
    EXPECT_EQ(config.StartMenuPath, "");
    EXPECT_EQ(config.ProgLink, "--- unkown ---");
    EXPECT_EQ(config.DesktopDefault, 0);
    EXPECT_EQ(config.StartProg, 0);
    EXPECT_EQ(config.Reboot, 0);
    EXPECT_EQ(config.NoUninstall, 0);
    EXPECT_EQ(config.StartMenu, 0);
    EXPECT_EQ(config.ScriptFile, "");
    // The file is closed again, so the next reader can open its own.
    EXPECT_EQ(settings.fs, nullptr);
}

const char kFullIni[] =
    "[Settings]\r\n"
    "Language = English.lng#9|Deutsch.lng#7|\r\n"
    "ProgExe = Tool.exe\r\n"
    "Split = 1\r\n"
    "DefaultDir = %ProgramFiles%Maker\\Tool\r\n"
    "NoCopyExt = ini|dat|\r\n"
    "[Info]\r\n"
    "Titel = Tool\r\n"
    "Version = 2.1\r\n"
    "GUID = {8E2B0C3A-1111-2222-3333-444455556666}\r\n"
    "PrgSize = 3 MB\r\n"
    "PrgFlag = 0\r\n"
    "Web = http://tool.example/\r\n"
    "Date = 2024-05-01\r\n"
    "[Task]\r\n"
    "MutexString =   ToolRunning  \r\n"
    "Desktop = 1\r\n"
    "ProgParameter = /fast\r\n"
    "StartProg = 1\r\n"
    "Reboot = 1\r\n"
    "NoUninstall = 1\r\n"
    "StartMenu = 1\r\n"
    "ScriptFile = setup.vbs\r\n"
    "[UserTask]\r\n"
    "BeforeSetup = before.exe\r\n"
    "BeforeParam = -b\r\n"
    "WhileSetup = while.exe\r\n"
    "WhileParam = -w\r\n"
    "AfterSetup = after.exe\r\n"
    "AfterParam = -a\r\n"
    "Uninst1Prog = u1.exe\r\n"
    "Uninst1Param = -u1\r\n"
    "Uninst2Prog = u2.exe\r\n"
    "Uninst2Param = -u2\r\n"
    "[StartMenue]\r\n"
    "DefaultDir = Maker\\Tool\r\n"
    "ProgLink = Tool Program\r\n";

TEST_F(InstallerConfigTest, StartupPassReadsItsKeysOnly) {
    writeIni(kFullIni);
    ReadStartupConfig(config, settings, fs, kIniPath);
    EXPECT_EQ(settings.fs, nullptr);

    EXPECT_EQ(config.Language, "English.lng#9|Deutsch.lng#7|");
    EXPECT_EQ(config.ProgExe, "Tool.exe");
    EXPECT_EQ(config.Split, 1);
    EXPECT_EQ(config.Titel, "Tool");
    EXPECT_EQ(config.Version, "2.1");
    EXPECT_EQ(config.GUID, "{8E2B0C3A-1111-2222-3333-444455556666}");
    EXPECT_EQ(config.PrgSize, "3 MB");
    EXPECT_EQ(config.PrgFlag, 0);
    EXPECT_EQ(config.MutexString, "ToolRunning");
    EXPECT_EQ(config.BeforeSetup, "before.exe");
    EXPECT_EQ(config.BeforeParam, "-b");
    EXPECT_EQ(config.WhileSetup, "while.exe");
    EXPECT_EQ(config.WhileParam, "-w");
    EXPECT_EQ(config.AfterSetup, "after.exe");
    EXPECT_EQ(config.AfterParam, "-a");
    EXPECT_EQ(config.Uninst1Prog, "u1.exe");
    EXPECT_EQ(config.Uninst1Param, "-u1");
    EXPECT_EQ(config.Uninst2Prog, "u2.exe");
    EXPECT_EQ(config.Uninst2Param, "-u2");

    // The second pass's keys wait for the second pass.
    EXPECT_EQ(config.Web, "");
    EXPECT_EQ(config.NoCopyExt, "");
    EXPECT_EQ(config.ProgLink, "");
    EXPECT_EQ(config.StartProg, 0);
    EXPECT_EQ(config.ScriptFile, "");
    EXPECT_EQ(config.InstallDirDefault, "");
}

TEST_F(InstallerConfigTest, InstallerPassReadsTheRest) {
    writeIni(kFullIni);
    readBoth();
    EXPECT_EQ(settings.fs, nullptr);

    EXPECT_EQ(config.Web, "http://tool.example/");
    EXPECT_EQ(config.NoCopyExt, "ini|dat|");
    EXPECT_EQ(config.InstallDirDefault, "C:\\Program Files\\Maker\\Tool");
    EXPECT_EQ(config.DefaultFolderName, "Tool");
    EXPECT_EQ(config.StartMenuFolder, "Maker\\Tool");
    EXPECT_EQ(config.ProgLink, "Tool Program");
    EXPECT_EQ(config.DesktopDefault, 1);
    EXPECT_EQ(config.ProgParameter, "/fast");
    EXPECT_EQ(config.StartProg, 1);
    EXPECT_EQ(config.Reboot, 1);
    EXPECT_EQ(config.NoUninstall, 1);
    EXPECT_EQ(config.StartMenu, 1);
    EXPECT_EQ(config.ScriptFile, "setup.vbs");
    // Read by the installation itself, not by either pass.
    EXPECT_EQ(config.Date, "");
    EXPECT_EQ(config.StartMenuPath, "");
}

TEST_F(InstallerConfigTest, InstallerPassKeepsTheFirstPassValues) {
    writeIni(kFullIni);
    ReadStartupConfig(config, settings, fs, kIniPath);
    // A setup.ini changed between the passes does not change what the checks saw.
    writeIni("[Info]\r\nTitel = Other\r\nGUID = {X}\r\n[Settings]\r\nProgExe = other.exe\r\n");
    ReadInstallerConfig(config, settings, fs, state, remembered, folderOf);
    EXPECT_EQ(config.Titel, "Tool");
    EXPECT_EQ(config.GUID, "{8E2B0C3A-1111-2222-3333-444455556666}");
    EXPECT_EQ(config.ProgExe, "Tool.exe");
    // ProgLink falls back to the title of the first pass.
    EXPECT_EQ(config.ProgLink, "Tool");
}

TEST_F(InstallerConfigTest, ProgLinkDefaultsToTheTitleButMayBeEmpty) {
    writeIni("[Info]\r\nTitel = Tool\r\n");
    readBoth();
    EXPECT_EQ(config.ProgLink, "Tool");

    writeIni("[Info]\r\nTitel = Tool\r\n[StartMenue]\r\nProgLink =\r\n");
    readBoth();
    EXPECT_EQ(config.ProgLink, "");
}

// ---- Numbers and flags ---------------------------------------------------

struct NumberCase {
    const char* text;
    int flag;     // an 8-bit flag: the low byte only
    int32_t full; // PrgFlag and [Task] Desktop: all 32 bits
};

TEST_F(InstallerConfigTest, FlagsKeepTheirLowByteNumbersAll32Bits) {
    const NumberCase cases[] = {
        {"0", 0, 0},       {"1", 1, 1},     {"256", 0, 256},  {"257", 1, 257},
        {"512", 0, 512},   {"-1", 255, -1}, {"abc", 0, 0},    {" 2x", 2, 2},
        {"65536", 0, 65536},
    };
    for (const auto& c : cases) {
        const std::string v = c.text;
        writeIni("[Settings]\r\nSplit = " + v + "\r\n[Info]\r\nPrgFlag = " + v + "\r\n[Task]\r\nDesktop = " + v +
                 "\r\nStartProg = " + v + "\r\nReboot = " + v + "\r\nNoUninstall = " + v + "\r\nStartMenu = " + v +
                 "\r\n");
        config = InstallerConfig{};
        readBoth();
        EXPECT_EQ(config.Split, c.flag) << v;
        EXPECT_EQ(config.StartProg, c.flag) << v;
        EXPECT_EQ(config.Reboot, c.flag) << v;
        EXPECT_EQ(config.NoUninstall, c.flag) << v;
        EXPECT_EQ(config.StartMenu, c.flag) << v;
        EXPECT_EQ(config.PrgFlag, c.full) << v;
        EXPECT_EQ(config.DesktopDefault, c.full) << v;
    }
}

// ---- Resolution rules ----------------------------------------------------

struct InstallDirCase {
    const char* name;
    const char* param;                  // /P
    const char* remembered;             // remembered InstallDir
    std::optional<std::string> iniDir;  // [Settings] DefaultDir, none when missing
    const char* installDir;             // InstallDirDefault
    const char* folderName;             // DefaultFolderName
};

TEST_F(InstallerConfigTest, InstallFolderAndFolderName) {
    const InstallDirCase cases[] = {
        {"nothing at all", "", "", std::nullopt, "C:\\Program Files\\", ""},
        {"variable and folders", "", "", "%ProgramFiles%\\Tools\\App", "C:\\Program Files\\\\Tools\\App", "App"},
        {"variable without separator", "", "", "%ProgramFiles%Tools\\App", "C:\\Program Files\\Tools\\App", "App"},
        {"relative with trailing separator", "", "", "App\\", "C:\\Program Files\\App\\", "App"},
        {"plain name", "", "", "App", "C:\\Program Files\\App", "App"},
        {"drive path", "", "", "D:\\Tools", "D:\\Tools", "Tools"},
        {"other variable", "", "", "%Windows%Tool", "C:\\Windows\\Tool", "Tool"},
        {"remembered wins over the file", "", "E:\\Old\\App\\", "D:\\Tools", "E:\\Old\\App\\", "Tools"},
        {"remembered is the missing key's value", "", "E:\\Old\\App\\", std::nullopt, "E:\\Old\\App\\", "App"},
        {"/P wins over both", "C:\\Apps\\Tool", "E:\\Old\\App\\", "%ProgramFiles%\\Tools\\App", "C:\\Apps\\Tool",
         "App"},
        {"/P relative is expanded", "Tool", "", "D:\\Tools", "C:\\Program Files\\Tool", "Tools"},
        {"/P with a variable", "%Windows%Tool", "", std::nullopt, "C:\\Windows\\Tool", ""},
        {"remembered with a variable", "", "%Windows%Old", "D:\\Tools", "C:\\Windows\\Old", "Tools"},
        {"empty key", "", "", "", "C:\\Program Files\\", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeIni(c.iniDir ? "[Settings]\r\nDefaultDir = " + *c.iniDir + "\r\n" : "[Settings]\r\n");
        state.ParamInstallDir = c.param;
        remembered = RememberedChoices{c.remembered, "", ""};
        readBoth();
        EXPECT_EQ(config.InstallDirDefault, c.installDir);
        EXPECT_EQ(config.DefaultFolderName, c.folderName);
        EXPECT_EQ(config.RememberedInstallDir, c.remembered);
    }
}

TEST(DefaultFolderName, Cases) {
    const struct {
        const char* defaultDir;
        const char* name;
    } cases[] = {
        {"%ProgramFiles%\\Tools\\App", "App"},
        {"App\\", "App"},
        {"D:\\Tools", "Tools"},
        {"App", "App"},
        {"", ""},
        {"\\", ""},
        {"%ProgramFiles%", ""},
        {"%ProgramFiles%App", "App"},        // the text after the variable
        {"%X%Tool%", "%X%Tool%"},            // three '%': the whole value
        {"%A%%B%\\x\\y", "y"},               // four '%': the whole value
        {"50%Off", "50%Off"},
        {"C:\\a%b\\%c\\d", "d"},
        {"C:\\a%b\\%c", "c"},
    };
    for (const auto& c : cases) EXPECT_EQ(defaultFolderNameOf(c.defaultDir), c.name) << c.defaultDir;
}

struct StartMenuCase {
    const char* param;                  // /S
    const char* remembered;             // remembered StartMenu
    std::optional<std::string> iniDir;  // [StartMenue] DefaultDir
    const char* folder;                 // StartMenuFolder
};

TEST_F(InstallerConfigTest, StartMenuFolder) {
    const StartMenuCase cases[] = {
        {"", "", "Maker\\Tool", "Maker\\Tool"},
        {"", "", std::nullopt, ""},
        {"", "Old\\Tool", "Maker\\Tool", "Old\\Tool"},
        {"Games\\Tool", "Old\\Tool", "Maker\\Tool", "Games\\Tool"},
        {"Games\\Tool", "", std::nullopt, "Games\\Tool"},
    };
    for (const auto& c : cases) {
        writeIni(c.iniDir ? "[StartMenue]\r\nDefaultDir = " + *c.iniDir + "\r\n" : "");
        state.ParamStartMenu = c.param;
        remembered = RememberedChoices{"", c.remembered, ""};
        readBoth();
        EXPECT_EQ(config.StartMenuFolder, c.folder) << c.param << "|" << c.remembered;
    }
}

struct DesktopCase {
    const char* remembered;              // remembered DesktopIcon
    std::optional<std::string> desktop;  // [Task] Desktop
    int32_t expected;                    // DesktopDefault
};

TEST_F(InstallerConfigTest, DesktopIcon) {
    const DesktopCase cases[] = {
        {"0", "1", 0},     // a remembered "0" overrides the file
        {"1", "0", 1},
        {"", "1", 1},
        {"", std::nullopt, 0},
        {"1", std::nullopt, 1},
        {"abc", "1", 0},   // remembered but not a number
        {" 2x", "1", 2},
        {"4294967297", "0", 1},
    };
    for (const auto& c : cases) {
        writeIni(c.desktop ? "[Task]\r\nDesktop = " + *c.desktop + "\r\n" : "");
        remembered = RememberedChoices{"", "", c.remembered};
        readBoth();
        EXPECT_EQ(config.DesktopDefault, c.expected) << c.remembered;
        EXPECT_EQ(config.RememberedDesktopIcon, c.remembered);
    }
}

TEST(RememberedChoicesKey, NamedAfterTheGuid) {
    EXPECT_EQ(rememberedChoicesKey("{8E2B0C3A-1111-2222-3333-444455556666}"),
              "SOFTWARE\\Quillbox\\{8E2B0C3A-1111-2222-3333-444455556666}");
    EXPECT_EQ(rememberedChoicesKey(""), "SOFTWARE\\Quillbox\\");
}

}  // namespace
