// Start-up under Wine: the temporary folder, the environment and the error path.
#include <regex>

#include "setup/startup_win32.h"
#include "win32_test_support.h"

namespace {

int errorBoxes = 0;
void countErrorBox() { ++errorBoxes; }

std::string env(const char* name) {
    char value[1024] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n ? std::string(value, n) : std::string("<unset>");
}

TEST(StartUpTest, GuidTextIsFreshAndInRegistryForm) {
    const std::regex form("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$");
    std::string a = NewGuidText(), b = NewGuidText();
    EXPECT_TRUE(std::regex_match(a, form)) << a;
    EXPECT_TRUE(std::regex_match(b, form)) << b;
    EXPECT_NE(a, b);
}

TEST(StartUpTest, FoldersEnvironmentAndCommandLine) {
    showStartupError = countErrorBox;
    errorBoxes = 0;
    // This test program carries no payload: start-up must say so.
    EXPECT_FALSE(StartUp("/Q /P:C:\\Apps\\Tool /R:3"));
    EXPECT_EQ(errorBoxes, 1);

    char temp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH, temp);
    char longTemp[MAX_PATH + 1];
    GetLongPathNameA(temp, longTemp, MAX_PATH);
    const std::string tmp = ::Setup.SetupTmpDir;
    ASSERT_EQ(tmp.size(), std::string(longTemp).size() + 39);
    EXPECT_EQ(tmp.substr(0, tmp.size() - 39), longTemp);
    EXPECT_EQ(tmp.back(), '\\');
    EXPECT_TRUE(folderExists(tmp));
    EXPECT_EQ(::Setup.SetupIniPath, tmp + "setup.ini");

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_EQ(::Setup.ExePath, self);
    EXPECT_EQ(::Setup.SetupExeDir, ::Setup.ExePath.substr(0, ::Setup.ExePath.rfind('\\') + 1));
    EXPECT_EQ(env("SetupExeDir"), ::Setup.SetupExeDir);
    EXPECT_EQ(env("SetupTmpDir"), ::Setup.SetupTmpDir);

    EXPECT_TRUE(::Setup.QuietMode);
    EXPECT_EQ(::Setup.ParamInstallDir, "C:\\Apps\\Tool");
    EXPECT_EQ(::Setup.RunMode, 3);
    EXPECT_EQ(::Setup.CurrentPage, 1);
    EXPECT_NE(HeaderImage, nullptr) << "the built-in header icon";
    RemoveDirectoryA(tmp.c_str());

    // A second start-up makes a folder of its own.
    StartUp("");
    EXPECT_NE(::Setup.SetupTmpDir, tmp);
    RemoveDirectoryA(::Setup.SetupTmpDir.c_str());
    EndSetup();
}

}  // namespace
