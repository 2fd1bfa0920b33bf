// The language chooser window, driven from a second thread while the chooser's
// own message loop runs on the test's thread, and the language choice and
// loading through the real system.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "setup/startup_win32.h"
#include "wizard/language_win32.h"
#include "win32_test_support.h"

namespace {

const char twoLanguages[] = "Deutsch.lng#7|English.lng#9|";

// The visible chooser, or none after `seconds`.
HWND waitForChooser(int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        HWND window = FindWindowA(nullptr, languageWindowTitle);
        if (window && IsWindowVisible(window)) return window;
        Sleep(50);
    }
    return nullptr;
}

// Runs showLanguageChooser(list) here while `drive` works on its window from
// another thread. Whatever `drive` leaves open is closed, so no test hangs.
std::string runChooser(const std::string& list, std::function<void(HWND)> drive) {
    std::thread driver([&] {
        HWND window = waitForChooser(30);
        EXPECT_NE(window, nullptr) << "the chooser did not appear";
        if (window) drive(window);
        if (HWND left = FindWindowA(nullptr, languageWindowTitle)) PostMessageA(left, WM_CLOSE, 0, 0);
    });
    std::string result = showLanguageChooser(list);
    driver.join();
    return result;
}

std::vector<std::string> comboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char buffer[256] = {};
        SendMessageA(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buffer));
        items.push_back(buffer);
    }
    return items;
}

// Presses a button the way a click does, from the driving thread.
void click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

TEST(LanguageChooser, WindowAndControlsAsDescribed) {
    const std::string result = runChooser(twoLanguages, [](HWND window) {
        EXPECT_EQ(className(window), "LanguageWindow");
        EXPECT_EQ(windowText(window), " Quillbox");

        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right - client.left, 140);
        EXPECT_EQ(client.bottom - client.top, 55);

        const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << "caption bar";
        EXPECT_EQ(style & WS_SYSMENU, 0) << "no system menu, so no close box";
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);

        RECT frame;
        GetWindowRect(window, &frame);
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_NEAR(frame.left + frame.right, screenWidth, 1) << "centred across";
        EXPECT_NEAR(frame.top + frame.bottom, screenHeight, 1) << "centred down";

        const HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
        HWND combo = GetDlgItem(window, LanguageCombo);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(className(combo), "ComboBox");
        EXPECT_EQ(GetWindowLongPtrA(combo, GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "a list, not editable";
        const RECT comboPlace = placeOf(combo);
        EXPECT_EQ(comboPlace.left, 5);
        EXPECT_EQ(comboPlace.top, 5);
        EXPECT_EQ(comboPlace.right - comboPlace.left, 130);
        // Windows reports the field and its list together; Wine the list below the field.
        RECT dropped = {};
        SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        const LONG droppedHeight = dropped.bottom - dropped.top, fieldHeight = comboPlace.bottom - comboPlace.top;
        EXPECT_TRUE(droppedHeight == 200 || droppedHeight + fieldHeight == 200)
            << "dropped-down height: list " << droppedHeight << ", field " << fieldHeight;
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(combo, WM_GETFONT, 0, 0)), guiFont);
        EXPECT_EQ(comboItems(combo), (std::vector<std::string>{" Deutsch", " English"}));
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0) << "first item selected";

        HWND ok = GetDlgItem(window, LanguageOkButton);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(className(ok), "Button");
        EXPECT_EQ(windowText(ok), "OK");
        EXPECT_EQ(GetWindowLongPtrA(ok, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
        const RECT okPlace = placeOf(ok);
        EXPECT_EQ(okPlace.left, 40);
        EXPECT_EQ(okPlace.top, 32);
        EXPECT_EQ(okPlace.right - okPlace.left, 60);
        EXPECT_EQ(okPlace.bottom - okPlace.top, 18);
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(ok, WM_GETFONT, 0, 0)), guiFont);

        saveScreenshot(window, "language_chooser");
        // Closed without a choice.
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, "") << "closing gives no language file";
    EXPECT_EQ(FindWindowA(nullptr, languageWindowTitle), nullptr) << "the window is gone afterwards";
}

TEST(LanguageChooser, OkTakesTheSelectedEntry) {
    const std::string list = "Deutsch.lng#7|English.lng#9|Fran.cais.lng#12|";
    EXPECT_EQ(runChooser(list, [](HWND window) { click(GetDlgItem(window, LanguageOkButton)); }), "Deutsch.lng")
        << "the first entry is preselected";

    EXPECT_EQ(runChooser(list, [](HWND window) {
                  HWND combo = GetDlgItem(window, LanguageCombo);
                  EXPECT_EQ(comboItems(combo), (std::vector<std::string>{" Deutsch", " English", " Fran"}));
                  // Nothing selected: OK does nothing and the chooser stays.
                  SendMessageA(combo, CB_SETCURSEL, WPARAM(-1), 0);
                  click(GetDlgItem(window, LanguageOkButton));
                  Sleep(200);
                  EXPECT_TRUE(IsWindow(window)) << "OK without a selection must be ignored";
                  SendMessageA(combo, CB_SETCURSEL, 2, 0);
                  click(GetDlgItem(window, LanguageOkButton));
              }),
              "Fran.cais.lng");

    // Enter in the list is OK as well.
    EXPECT_EQ(runChooser(list, [](HWND window) {
                  HWND combo = GetDlgItem(window, LanguageCombo);
                  SendMessageA(combo, CB_SETCURSEL, 1, 0);
                  PostMessageA(combo, WM_KEYDOWN, VK_RETURN, 0);
              }),
              "English.lng");
}

TEST(LanguageChoice, AsksTheSystemForTheUserLanguage) {
    const uint16_t mine = GetUserDefaultLangID() & 0x1FF;
    const std::string list = "Other.lng#" + std::to_string(mine + 1) + "|Mine.lng#" + std::to_string(mine) + "|";
    LanguageNumber = 0;
    EXPECT_EQ(chooseLanguageFile("Single.lng#" + std::to_string(mine) + "|"), "Single.lng");
    EXPECT_EQ(LanguageNumber, 0) << "no matching for a single entry";
    EXPECT_EQ(chooseLanguageFile(list), "Mine.lng");
    EXPECT_EQ(LanguageNumber, mine);
}

TEST(LanguageFile, LoadsIntoTheRunsTable) {
    ScratchFolder folder;
    const std::string path = folder.path() + "Deutsch.lng";
    writeFile(path, "[Buttons]\r\nNext = Weiter\r\nBack =\r\n[Page01]\r\nTitel = Willkommen|'$T'\r\n");
    writeFile(folder.path() + "Utf8.lng", "\xEF\xBB\xBF[Buttons]\r\nBack = Zur\xC3\xBC" "ck\r\n");

    loadLanguageFile(path, "Tool", "1.0");
    EXPECT_EQ(text(Buttons_Next), "Weiter");
    EXPECT_EQ(text(Buttons_Back), "");
    EXPECT_EQ(text(Page01_Titel), "Willkommen\n'$T'");
    EXPECT_EQ(text(Page05_Install), "Install Program 'Tool'");
    EXPECT_EQ(Settings.fs, nullptr) << "the settings file is closed again";
    // Not held open: the file can be removed at once, as the temporary folder is at the end.
    EXPECT_TRUE(DeleteFileA(path.c_str()));

    loadLanguageFile(folder.path() + "Utf8.lng", "Tool", "1.0");
    EXPECT_EQ(text(Buttons_Back), "Zur\xFC" "ck");
    EXPECT_EQ(text(Buttons_Next), "Next");

    loadLanguageFile(folder.path(), "Tool", "1.0");  // no language file named
    EXPECT_EQ(text(Buttons_Back), "Back");
    EXPECT_EQ(text(Buttons_Finish), "Exit");
}

// Run by tests/e2e/language_test.sh under a given LC_ALL: the two-language
// list must give the expected file, text and language number. On a language
// without a file the script answers the chooser itself.
TEST(UserLanguage, ChoosesTheFileForTheUserLanguage) {
    const char* expectedFile = std::getenv("QB_EXPECT_LANGUAGE_FILE");
    const char* expectedNumber = std::getenv("QB_EXPECT_LANGUAGE_NUMBER");
    if (!expectedFile || !expectedNumber) GTEST_SKIP() << "run by the end-to-end language test";
    std::printf("user language: 0x%04X\n", unsigned(GetUserDefaultLangID()));
    std::fflush(stdout);

    ScratchFolder folder;
    writeFile(folder.path() + "Deutsch.lng", "[Buttons]\r\nNext = Weiter\r\n");
    writeFile(folder.path() + "English.lng", "[Buttons]\r\nNext = Next >\r\n");
    LanguageNumber = 0;
    ::Setup.LanguageFile = chooseLanguageFile(twoLanguages);
    loadLanguageFile(folder.path() + ::Setup.LanguageFile, "Tool", "1.0");

    EXPECT_EQ(::Setup.LanguageFile, expectedFile);
    EXPECT_EQ(LanguageNumber, std::atoi(expectedNumber));
    const std::string file = expectedFile;
    EXPECT_EQ(text(Buttons_Next), file == "Deutsch.lng" ? "Weiter" : file == "English.lng" ? "Next >" : "Next");
}

}  // namespace
