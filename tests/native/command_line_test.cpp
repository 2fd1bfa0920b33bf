#include "setup/command_line.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* parameters;
    bool quiet;
    const char* installDir;
    const char* startMenu;
    int runMode;
};

const Case kCases[] = {
    {"", false, "", "", 1},
    {"/q", true, "", "", 1},
    {"/Q", true, "", "", 1},
    {"/Quick", true, "", "", 1},
    {"/quiet /R:3", true, "", "", 3},
    {"/P:C:\\Apps\\Tool", false, "C:\\Apps\\Tool", "", 1},
    {"/PC:\\Apps", false, ":\\Apps", "", 1},   // the third character is always skipped
    {"/P", false, "", "", 1},
    {"/P:", false, "", "", 1},
    {"/p=D:\\x", false, "D:\\x", "", 1},
    {"/S:Games\\Tool", false, "", "Games\\Tool", 1},
    {"\"/S:My Games\\Tool\" /Q", true, "", "My Games\\Tool", 1},
    {"\"/P:C:\\Program Files\\Tool\"", false, "C:\\Program Files\\Tool", "", 1},
    {"/R:2", false, "", "", 2},
    {"/R=abc", false, "", "", 0},
    {"/R:258", false, "", "", 2},
    {"/R:257", false, "", "", 1},
    {"/R:255", false, "", "", -1},
    {"/R:\t-1", false, "", "", -1},
    {"/R: 5", false, "", "", 0},            // a space ends the word: "/R:" then "5"
    {"/R:+7x", false, "", "", 7},
    {"\"\" /Q", false, "", "", 1},             // an empty quoted word ends the scan
    {"/P:a /P:b", false, "b", "", 1},          // a repeated option overwrites
    {"other words /x -Q", false, "", "", 1},
    {"   /Q    /R:0   ", true, "", "", 0},
};

TEST(CommandLineTest, OptionsTable) {
    for (const Case& c : kCases) {
        SetupState state;
        parseCommandLine(c.parameters, state);
        SCOPED_TRACE(c.parameters);
        EXPECT_EQ(state.QuietMode, c.quiet);
        EXPECT_EQ(state.ParamInstallDir, c.installDir);
        EXPECT_EQ(state.ParamStartMenu, c.startMenu);
        EXPECT_EQ(state.RunMode, c.runMode);
    }
}

TEST(CommandLineTest, WordsAndQuotes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitParameters("a  b"), (V{"a", "b"}));
    EXPECT_EQ(splitParameters("\"a b\"c d"), (V{"a b", "c", "d"}));
    EXPECT_EQ(splitParameters("\"unterminated word"), (V{"unterminated word"}));
    EXPECT_EQ(splitParameters("a \"\" b"), (V{"a"}));
}

TEST(CommandLineTest, ParametersFollowTheProgramPath) {
    EXPECT_EQ(parametersOf("\"C:\\My Setup\\Install.exe\" /Q /P:x"), "/Q /P:x");
    EXPECT_EQ(parametersOf("Install.exe   /R:2"), "/R:2");
    EXPECT_EQ(parametersOf("Install.exe"), "");
    EXPECT_EQ(parametersOf("\"Install.exe\""), "");
}

}  // namespace
