// Path variables and the folder text rules, with the folders handed in.
#include "system/folders.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// Folders of a typical machine; the PureBasic folder is unknown.
const std::map<int32_t, std::string> kFolders = {
    {FolderProgramFiles, "C:\\Program Files\\"},
    {FolderWindows, "C:\\Windows\\"},
    {FolderSystem, "C:\\Windows\\system32\\"},
    {FolderCommonFiles, "C:\\Program Files\\Common Files\\"},
    {FolderAppData, "C:\\Users\\Ann\\AppData\\"},
    {FolderStartup, "C:\\Users\\Ann\\Startup\\"},
    {FolderQuickLaunch, "C:\\Users\\Ann\\QL\\"},
    {FolderPersonal, "C:\\Users\\Ann\\Documents\\"},
    {FolderPureBasic, ""},
    {FolderFonts, "C:\\Windows\\Fonts\\"},
    {FolderEmergenceBasic, "C:\\EBDev\\"},
    {FolderAurora, "C:\\Aurora\\"},
};

// Answers from a table and records which codes were asked for.
struct FakeFolders {
    std::map<int32_t, std::string> folders = kFolders;
    std::vector<int32_t> asked;

    FolderLookup lookup() {
        return [this](int32_t code) {
            asked.push_back(code);
            auto it = folders.find(code);
            return it == folders.end() ? std::string() : it->second;
        };
    }
};

struct ExpandCase {
    const char* text;
    bool relative;  // relativeToProgramFiles
    const char* expected;
};

TEST(ExpandPath, Cases) {
    const ExpandCase cases[] = {
        // A drive path is never touched, whatever it holds.
        {"C:\\Apps\\Tool", true, "C:\\Apps\\Tool"},
        {"C:\\Apps\\Tool", false, "C:\\Apps\\Tool"},
        {"D:\\%ProgramFiles%x", true, "D:\\%ProgramFiles%x"},
        // Fewer than two '%': below program files only with the flag.
        {"MyApp", true, "C:\\Program Files\\MyApp"},
        {"MyApp", false, "MyApp"},
        {"\\Apps", true, "C:\\Program Files\\\\Apps"},
        {"\\Apps", false, "\\Apps"},
        {"", true, "C:\\Program Files\\"},
        {"", false, ""},
        {"50%Off", true, "C:\\Program Files\\50%Off"},
        {"50%Off", false, "50%Off"},
        {"C:", true, "C:\\Program Files\\C:"},
        {"C:/Apps", true, "C:\\Program Files\\C:/Apps"},
        // Two or more '%': the variables are replaced and the flag is ignored.
        {"%ProgramFiles%MyApp", true, "C:\\Program Files\\MyApp"},
        {"%ProgramFiles%MyApp", false, "C:\\Program Files\\MyApp"},
        {"%Windows%", true, "C:\\Windows\\"},
        {"%System%drivers", true, "C:\\Windows\\system32\\drivers"},
        {"%CommonFiles%Shared", true, "C:\\Program Files\\Common Files\\Shared"},
        {"%AppData%Tool", true, "C:\\Users\\Ann\\AppData\\Tool"},
        {"%StartUp%", true, "C:\\Users\\Ann\\Startup\\"},
        {"%QuickLaunch%", true, "C:\\Users\\Ann\\QL\\"},
        {"%MyDocuments%Work", true, "C:\\Users\\Ann\\Documents\\Work"},
        {"%Fonts%", true, "C:\\Windows\\Fonts\\"},
        {"%Emergency%lib", true, "C:\\EBDev\\lib"},
        {"%Aurora%inc", true, "C:\\Aurora\\inc"},
        {"%AppData%a|%AppData%b", true, "C:\\Users\\Ann\\AppData\\a|C:\\Users\\Ann\\AppData\\b"},
        {"%Windows%%System%", true, "C:\\Windows\\C:\\Windows\\system32\\"},
        // An unknown folder is replaced by nothing.
        {"%PureBasic%Extra", true, "Extra"},
        // Case matters; unknown words and the task variables stay.
        {"%programfiles%MyApp", true, "%programfiles%MyApp"},
        {"%WINDOWS%", false, "%WINDOWS%"},
        {"%InstallDir%x\\%Windows%", true, "%InstallDir%x\\C:\\Windows\\"},
        {"%Other%MyApp", true, "%Other%MyApp"},
        {"%%", true, "%%"},
        {"%Windows%%", true, "C:\\Windows\\%"},
    };
    for (const auto& c : cases) {
        FakeFolders folders;
        EXPECT_EQ(expandPath(c.text, c.relative, folders.lookup()), c.expected)
            << c.text << " relative=" << c.relative;
    }
}

TEST(ExpandPath, AsksForEveryVariableInOrder) {
    const std::vector<int32_t> order = {
        FolderProgramFiles, FolderWindows, FolderSystem,
        FolderCommonFiles, FolderAppData, FolderStartup, FolderQuickLaunch, FolderPersonal,
        FolderPureBasic, FolderFonts, FolderEmergenceBasic, FolderAurora};
    // Whether a variable occurs or not, all twelve are asked for, in this order.
    for (const char* text : {"%Windows%x", "plain", "%a%b"}) {
        FakeFolders folders;
        expandPath(text, false, folders.lookup());
        EXPECT_EQ(folders.asked, order) << text;
    }
    // A relative name asks only for program files; a drive path asks nothing.
    FakeFolders relative;
    expandPath("MyApp", true, relative.lookup());
    EXPECT_EQ(relative.asked, std::vector<int32_t>{FolderProgramFiles});
    FakeFolders drive;
    expandPath("C:\\x", true, drive.lookup());
    EXPECT_TRUE(drive.asked.empty());
}

TEST(ExpandPath, InsertedFoldersTakePartInLaterVariablesOnly) {
    FakeFolders folders;
    folders.folders[FolderWindows] = "%System%W\\";       // System comes after Windows
    folders.folders[FolderFonts] = "%ProgramFiles%F\\";   // ProgramFiles comes before Fonts
    EXPECT_EQ(expandPath("%Windows%", true, folders.lookup()), "C:\\Windows\\system32\\W\\");
    EXPECT_EQ(expandPath("%Fonts%", true, folders.lookup()), "%ProgramFiles%F\\");

    // A folder holding its own variable is not searched again.
    folders.folders[FolderAppData] = "%AppData%\\";
    EXPECT_EQ(expandPath("%AppData%%AppData%", true, folders.lookup()), "%AppData%\\%AppData%\\");
}

TEST(FolderText, AddBackslashAndAsFolder) {
    EXPECT_EQ(addBackslash(""), "\\");
    EXPECT_EQ(addBackslash("C:\\"), "C:\\");
    EXPECT_EQ(addBackslash("C:\\Apps"), "C:\\Apps\\");
    EXPECT_EQ(addBackslash("C:/Apps/"), "C:/Apps/\\");
    EXPECT_EQ(addBackslash("Apps\\\\"), "Apps\\\\");

    EXPECT_EQ(asFolder(""), "");
    EXPECT_EQ(asFolder("C:\\Windows"), "C:\\Windows\\");
    EXPECT_EQ(asFolder("C:\\Windows\\"), "C:\\Windows\\");
}

TEST(FolderText, RegistryValueText) {
    using namespace std::string_literals;
    EXPECT_EQ(registryValueText(""), "");
    EXPECT_EQ(registryValueText("\0"s), "");
    EXPECT_EQ(registryValueText("C:\\Program Files\0"s), "C:\\Program Files");
    // Stored without its NUL: nothing is lost.
    EXPECT_EQ(registryValueText("abc"), "abc");
    // A list of strings reads as its first one.
    EXPECT_EQ(registryValueText("one\0two\0\0"s), "one");
}

TEST(FolderText, PureBasicFolderOfCommand) {
    const struct {
        const char* command;
        const char* folder;
    } cases[] = {
        {"\"C:\\Dev\\PureBasic\\PureBasic.exe\" \"%1\"", "C:\\Dev\\PureBasic\\"},
        {"C:\\Dev\\PureBasic\\PureBasic.exe", "C:\\Dev\\PureBasic\\"},
        {"C:/Dev/PureBasic/PureBasic.exe %1", "C:/Dev/PureBasic/"},
        // Separators after the argument do not count.
        {"\"C:\\PB\\PureBasic.exe\" \"%1\" /log:C:\\Temp\\", "C:\\PB\\"},
        // Nor do those after the first '|'.
        {"C:\\PB\\x|D:\\Other\\PureBasic.exe", "C:\\PB\\"},
        // Only one leading quote is skipped.
        {"\"\"C:\\PB\\PureBasic.exe\"", "\"C:\\PB\\"},
        {"PureBasic.exe \"%1\"", ""},
        {"", ""},
        {"\"", ""},
        {"%1", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(pureBasicFolderOf(c.command), c.folder) << c.command;
}

TEST(FolderText, QuickLaunchAndProductFolders) {
    EXPECT_EQ(quickLaunchFolderOf("C:\\Users\\Ann\\AppData\\"),
              "C:\\Users\\Ann\\AppData\\Microsoft\\Internet Explorer\\Quick Launch\\");
    // Without application data only the relative part is left.
    EXPECT_EQ(quickLaunchFolderOf(""), "Microsoft\\Internet Explorer\\Quick Launch\\");

    EXPECT_EQ(productFolderOf("C:\\Aurora\\bin", "C:\\Program Files", "\\Aurora\\"), "C:\\Aurora\\");
    EXPECT_EQ(productFolderOf("", "C:\\Program Files", "\\Aurora\\"), "C:\\Program Files\\Aurora\\");
    EXPECT_EQ(productFolderOf("", "C:\\Program Files\\", "\\EBDev\\"), "C:\\Program Files\\EBDev\\");
    EXPECT_EQ(productFolderOf("", "", "\\Aurora\\"), "\\Aurora\\");
    EXPECT_EQ(productFolderOf("bi", "C:\\Program Files", "\\Aurora\\"), "");
}

}  // namespace
