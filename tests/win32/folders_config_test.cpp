// Special folders, registry strings and folder creation on a real system, and
// the installer configuration read from a real setup.ini and the registry.
#include <windows.h>

#include <algorithm>

#include "setup/installer_config_win32.h"
#include "setup/startup_win32.h"
#include "system/folders_win32.h"
#include "win32_test_support.h"

namespace {

bool endsInBackslash(const std::string& s) { return !s.empty() && s.back() == '\\'; }

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string processTag() { return std::to_string(GetCurrentProcessId()); }

// A registry key made for one test and removed with everything below it.
class ScratchKey {
public:
    ScratchKey(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
        RegDeleteTreeA(root_, path_.c_str());
        RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~ScratchKey() {
        if (key_) RegCloseKey(key_);
        RegDeleteTreeA(root_, path_.c_str());
    }
    const std::string& path() const { return path_; }
    // Raw bytes with the given type: the test decides whether a NUL is included.
    void set(const std::string& name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 DWORD(bytes.size())),
                  ERROR_SUCCESS)
            << name;
    }
    void setText(const std::string& name, const std::string& text) { set(name, REG_SZ, text + '\0'); }
    void remove(const std::string& name) { RegDeleteValueA(key_, name.c_str()); }

private:
    HKEY root_;
    std::string path_;
    HKEY key_ = nullptr;
};

bool keyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// ---- Special folders -----------------------------------------------------

TEST(SpecialFolder, RealFoldersExistAndEndInBackslash) {
    const struct {
        int32_t code;
        const char* name;
    } codes[] = {
        {FolderDesktop, "desktop"},
        {FolderPrograms, "Programs"},
        {FolderCommonPrograms, "common Programs"},
        {FolderAppData, "application data"},
        {FolderPersonal, "My Documents"},
        {FolderStartup, "Startup"},
        {FolderFonts, "fonts"},
        {FolderSystem, "system"},
        {FolderWindows, "Windows"},
        {FolderTemp, "temporary"},
        {FolderCurrent, "current"},
        {FolderProgramFiles, "program files"},
        {FolderCommonFiles, "common files"},
    };
    for (const auto& c : codes) {
        const std::string folder = specialFolder(c.code);
        EXPECT_TRUE(endsInBackslash(folder)) << c.name << ": '" << folder << "'";
        EXPECT_EQ(folder.find("\\\\"), std::string::npos) << c.name << ": " << folder;
        EXPECT_TRUE(folderExists(folder)) << c.name << ": " << folder;
    }
}

TEST(SpecialFolder, SameFoldersAsTheSystemGives) {
    char buffer[MAX_PATH + 1] = {};
    GetSystemDirectoryA(buffer, MAX_PATH);
    EXPECT_EQ(specialFolder(FolderSystem), addBackslash(buffer));
    GetWindowsDirectoryA(buffer, MAX_PATH);
    EXPECT_EQ(specialFolder(FolderWindows), addBackslash(buffer));
    GetTempPathA(MAX_PATH, buffer);
    EXPECT_EQ(specialFolder(FolderTemp), addBackslash(buffer));

    // Program files and common files come from the registry; the environment
    // of this process names the same folders.
    ExpandEnvironmentStringsA("%ProgramFiles%", buffer, MAX_PATH);
    EXPECT_EQ(lower(specialFolder(FolderProgramFiles)), lower(addBackslash(buffer)));
    ExpandEnvironmentStringsA("%CommonProgramFiles%", buffer, MAX_PATH);
    EXPECT_EQ(lower(specialFolder(FolderCommonFiles)), lower(addBackslash(buffer)));

    EXPECT_EQ(specialFolder(FolderQuickLaunch),
              specialFolder(FolderAppData) + "Microsoft\\Internet Explorer\\Quick Launch\\");
    // The all-users menu is not the user's own.
    EXPECT_NE(lower(specialFolder(FolderCommonPrograms)), lower(specialFolder(FolderPrograms)));
}

TEST(SpecialFolder, CurrentFolderFollowsTheProcess) {
    ScratchFolder dir;
    char before[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    EXPECT_EQ(lower(specialFolder(FolderCurrent)), lower(dir.path()));
    SetCurrentDirectoryA(before);
}

TEST(SpecialFolder, UnknownCodesGiveNothing) {
    EXPECT_EQ(specialFolder(-8), "");
    EXPECT_EQ(specialFolder(-11), "");
    EXPECT_EQ(specialFolder(9999), "");
}

TEST(SpecialFolder, ProductFoldersFromTheRegistry) {
    if (keyExists(HKEY_CURRENT_USER, "Software\\IonicWind")) GTEST_SKIP() << "the prefix has its own IonicWind key";
    const std::string programFiles = specialFolder(FolderProgramFiles);
    ASSERT_TRUE(endsInBackslash(programFiles));
    {
        ScratchKey ionicWind(HKEY_CURRENT_USER, "Software\\IonicWind");
        // Without BIN values: below program files.
        EXPECT_EQ(specialFolder(FolderAurora), programFiles + "Aurora\\");
        EXPECT_EQ(specialFolder(FolderEmergenceBasic), programFiles + "EBDev\\");

        ScratchKey aurora(HKEY_CURRENT_USER, "Software\\IonicWind\\Aurora\\PATHS");
        aurora.setText("BIN", "C:\\Aurora\\bin");
        ScratchKey emergence(HKEY_CURRENT_USER, "Software\\IonicWind\\Emergence BASIC\\PATHS");
        emergence.setText("BIN", "D:\\Dev\\EBasic\\bin");
        EXPECT_EQ(specialFolder(FolderAurora), "C:\\Aurora\\");
        EXPECT_EQ(specialFolder(FolderEmergenceBasic), "D:\\Dev\\EBasic\\");
        EXPECT_EQ(expandPath("%Aurora%inc|%Emergency%lib", false), "C:\\Aurora\\inc|D:\\Dev\\EBasic\\lib");
    }
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\IonicWind"));
}

TEST(SpecialFolder, PureBasicFromItsOpenCommand) {
    const std::string userKey = "Software\\Classes\\PureBasic.exe";
    const std::string applicationsKey = "Applications\\PureBasic.exe";
    if (keyExists(HKEY_CURRENT_USER, userKey) || keyExists(HKEY_CLASSES_ROOT, applicationsKey))
        GTEST_SKIP() << "the prefix has its own PureBasic keys";

    EXPECT_EQ(specialFolder(FolderPureBasic), "");
    EXPECT_EQ(expandPath("%PureBasic%Extra", false), "Extra");
    {
        ScratchKey user(HKEY_CURRENT_USER, userKey + "\\shell\\open\\command");
        user.setText("", "\"C:\\Dev\\PureBasic\\PureBasic.exe\" \"%1\"");
        EXPECT_EQ(pureBasicFolder(), "C:\\Dev\\PureBasic\\");
        EXPECT_EQ(specialFolder(FolderPureBasic), "C:\\Dev\\PureBasic\\");

        // On the NT family the application registration is asked first.
        ScratchKey applications(HKEY_CLASSES_ROOT, applicationsKey + "\\shell\\open\\command");
        applications.setText("", "D:\\PB\\PureBasic.exe %1");
        EXPECT_EQ(specialFolder(FolderPureBasic), "D:\\PB\\");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, applicationsKey.c_str());
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, userKey.c_str());
    EXPECT_EQ(specialFolder(FolderPureBasic), "");
}

TEST(ExpandPathWin32, RealFolders) {
    const std::string programFiles = specialFolder(FolderProgramFiles);
    EXPECT_EQ(expandPath("%ProgramFiles%Maker\\Tool", false), programFiles + "Maker\\Tool");
    EXPECT_EQ(expandPath("Tool", true), programFiles + "Tool");
    EXPECT_EQ(expandPath("%Windows%%System%", true), specialFolder(FolderWindows) + specialFolder(FolderSystem));
    EXPECT_EQ(expandPath("%MyDocuments%x", true), specialFolder(FolderPersonal) + "x");
    EXPECT_EQ(expandPath("C:\\Apps\\Tool", true), "C:\\Apps\\Tool");
}

// ---- Registry strings ----------------------------------------------------

TEST(ReadRegString, ValuesAsWritten) {
    ScratchKey key(HKEY_CURRENT_USER, "Software\\QuillboxFoldersTest-" + processTag());
    key.setText("Text", "C:\\Program Files\\Tool\\");
    key.setText("Empty", "");
    key.setText("", "default value");
    key.set("Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x") + '\0');
    key.set("Unterminated", REG_SZ, "abc");
    key.set("Number", REG_DWORD, std::string("ABC\0", 4));  // the type is not looked at
    key.setText("Long254", std::string(254, 'x'));           // 255 bytes with its NUL: fits
    key.setText("Long255", std::string(255, 'y'));           // 256 bytes: does not
    key.setText("Long1000", std::string(1000, 'z'));

    const struct {
        const char* value;
        std::string expected;
    } cases[] = {
        {"Text", "C:\\Program Files\\Tool\\"},
        {"Empty", ""},
        {"", "default value"},
        {"Expand", "%TEMP%\\x"},
        {"Unterminated", "abc"},
        {"Number", "ABC"},
        {"Long254", std::string(254, 'x')},
        {"Long255", ""},
        {"Long1000", ""},
        {"Missing", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readRegString(HKEY_CURRENT_USER, key.path(), c.value), c.expected) << c.value;

    EXPECT_EQ(readRegString(HKEY_CURRENT_USER, key.path() + "\\NoSuchKey", "Text"), "");
    EXPECT_EQ(readRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir") + "\\",
              specialFolder(FolderProgramFiles));
}

// ---- Creating folders ----------------------------------------------------

TEST(CreatePath, MakesEveryMissingFolder) {
    ScratchFolder dir;
    EXPECT_TRUE(createPath(dir.path() + "a\\b\\c"));
    EXPECT_TRUE(folderExists(dir.path() + "a\\b\\c"));
    // Existing folders, and a trailing separator, are fine.
    EXPECT_TRUE(createPath(dir.path() + "a\\b\\c\\"));
    EXPECT_TRUE(createPath(dir.path() + "a\\d\\"));
    EXPECT_TRUE(folderExists(dir.path() + "a\\d"));
    // A file in the way cannot become a folder.
    writeFile(dir.path() + "file", "x");
    EXPECT_FALSE(createPath(dir.path() + "file\\sub"));
    EXPECT_FALSE(folderExists(dir.path() + "file\\sub"));
}

TEST(CreatePath, LoadsImagehlpFromTheSystemFolder) {
    ScratchFolder dir;
    ASSERT_TRUE(createPath(dir.path() + "x"));
    HMODULE module = GetModuleHandleA("imagehlp.dll");
    ASSERT_NE(module, nullptr);
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    EXPECT_EQ(lower(path), lower(specialFolder(FolderSystem) + "imagehlp.dll"));
}

// ---- The installer configuration -----------------------------------------

const char kGuidPrefix[] = "{0BADC0DE-7E57-4F00-A000-";

class ConfigFromRegistryTest : public ::testing::Test {
protected:
    ScratchFolder dir;
    // A GUID of this process, so parallel runs in one prefix do not meet.
    std::string guid = kGuidPrefix + std::string(12 - std::min<size_t>(12, processTag().size()), '0') +
                       processTag() + "}";

    void SetUp() override {
        ::Setup = SetupState{};
        ::Setup.SetupTmpDir = dir.path();
        ::Setup.SetupIniPath = dir.path() + "setup.ini";
        Config = InstallerConfig{};
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, rememberedChoicesKey(guid).c_str());
        // The product key itself goes only when no other product is remembered.
        RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Quillbox");
        closeSettings(Settings);
    }
    void writeIni(const std::string& text) { writeFile(::Setup.SetupIniPath, text); }
};

TEST_F(ConfigFromRegistryTest, RememberedChoicesOverrideTheFile) {
    writeIni("[Info]\r\nTitel = Tool\r\nGUID = " + guid +
             "\r\n[Settings]\r\nDefaultDir = %ProgramFiles%Maker\\Tool\r\n"
             "[StartMenue]\r\nDefaultDir = Maker\\Tool\r\n[Task]\r\nDesktop = 1\r\n");
    ReadStartupConfig();
    ASSERT_EQ(Config.GUID, guid);
    EXPECT_EQ(Config.Titel, "Tool");

    // Nothing remembered yet: the file decides.
    ReadInstallerConfig();
    EXPECT_EQ(Config.InstallDirDefault, specialFolder(FolderProgramFiles) + "Maker\\Tool");
    EXPECT_EQ(Config.DefaultFolderName, "Tool");
    EXPECT_EQ(Config.StartMenuFolder, "Maker\\Tool");
    EXPECT_EQ(Config.DesktopDefault, 1);
    EXPECT_EQ(Config.ProgLink, "Tool");

    {
        ScratchKey remembered(HKEY_CURRENT_USER, rememberedChoicesKey(guid));
        remembered.setText("InstallDir", "E:\\Old\\Place\\");
        remembered.setText("StartMenu", "Old\\Menu");
        remembered.setText("DesktopIcon", "0");
        ReadInstallerConfig();
        EXPECT_EQ(Config.RememberedInstallDir, "E:\\Old\\Place\\");
        EXPECT_EQ(Config.InstallDirDefault, "E:\\Old\\Place\\");
        EXPECT_EQ(Config.DefaultFolderName, "Tool");
        EXPECT_EQ(Config.StartMenuFolder, "Old\\Menu");
        EXPECT_EQ(Config.DesktopDefault, 0);

        // /P and /S still win.
        ::Setup.ParamInstallDir = "C:\\Apps\\Tool";
        ::Setup.ParamStartMenu = "Games\\Tool";
        ReadInstallerConfig();
        EXPECT_EQ(Config.InstallDirDefault, "C:\\Apps\\Tool");
        EXPECT_EQ(Config.StartMenuFolder, "Games\\Tool");
        EXPECT_EQ(Config.DesktopDefault, 0);
    }
    // The file is closed after each pass, so setup.ini can be removed.
    EXPECT_TRUE(DeleteFileA(::Setup.SetupIniPath.c_str()));
}

TEST_F(ConfigFromRegistryTest, OtherProductsAreNotSeen) {
    writeIni("[Info]\r\nGUID = " + guid + "\r\n[Task]\r\nDesktop = 1\r\n");
    ScratchKey other(HKEY_CURRENT_USER, rememberedChoicesKey(guid + "-other"));
    other.setText("InstallDir", "E:\\Other\\");
    other.setText("DesktopIcon", "0");
    ReadStartupConfig();
    ReadInstallerConfig();
    EXPECT_EQ(Config.RememberedInstallDir, "");
    EXPECT_EQ(Config.InstallDirDefault, specialFolder(FolderProgramFiles));
    EXPECT_EQ(Config.DesktopDefault, 1);
}

TEST_F(ConfigFromRegistryTest, MissingSetupIniGivesTheDefaults) {
    ReadStartupConfig();
    ReadInstallerConfig();
    EXPECT_EQ(Config.Titel, "--- unkown ---");
    EXPECT_EQ(Config.GUID, "");
    EXPECT_EQ(Config.ProgLink, "--- unkown ---");
    EXPECT_EQ(Config.InstallDirDefault, specialFolder(FolderProgramFiles));
    // Nothing was created in place of the missing file.
    EXPECT_FALSE(fileExists(::Setup.SetupIniPath));
}

}  // namespace
