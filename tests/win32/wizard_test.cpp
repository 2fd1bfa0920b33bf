// The wizard window over prepared payload folders: its controls, their first
// state, the page moves and the input handlers, driven with window messages
// on the test's own thread.
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "setup/installer_config_win32.h"
#include "setup/startup_win32.h"
#include "setup/wizard_run_win32.h"
#include "system/folders_win32.h"
#include "wizard/language_win32.h"
#include "wizard/wizard_window_win32.h"
#include "win32_test_support.h"
#include "wizard_driver.h"

namespace {

const char standardIni[] =
    "[Settings]\r\nProgExe=Tool.exe\r\nDefaultDir=C:\\Apps\\Tool\r\n"
    "[Info]\r\nTitel=Tool\r\nVersion=2.1\r\nWeb=http://example.invalid/tool\r\nPrgSize=1.5 MB\r\n"
    "[StartMenue]\r\nDefaultDir=Company\\Tool\r\n"
    "[Task]\r\nStartMenu=1\r\nDesktop=1\r\nStartProg=1\r\n";

// A 24-bit bitmap file of the given size, one colour.
std::string bitmapFile(int width, int height) {
    const int rowBytes = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + rowBytes * height);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(size_t(rowBytes) * height, '\x40');
    return bytes;
}

// A 32 x 32 icon file with one 32-bit image.
std::string iconFile() {
    const int size = 32;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = size;
    info.biHeight = size * 2;  // colour and mask
    info.biPlanes = 1;
    info.biBitCount = 32;
    const std::string pixels(size_t(size) * size * 4, '\x80');
    const std::string mask(size_t(size) * 4, '\0');  // 32 rows of 4 bytes
    const DWORD imageBytes = DWORD(sizeof info + pixels.size() + mask.size());
    const unsigned char directory[] = {0, 0, 1, 0, 1, 0,  // reserved, type icon, one image
                                       size, size, 0, 0, 1, 0, 32, 0,
                                       BYTE(imageBytes), BYTE(imageBytes >> 8), 0, 0, 22, 0, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(directory), sizeof directory);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    return bytes + pixels + mask;
}

// The payload files a case brings, by name.
struct Payload {
    std::string ini = standardIni;
    std::vector<std::pair<std::string, std::string>> files;
};

class WizardTest : public testing::Test {
protected:
    void build(const Payload& payload) {
        writeFile(tmp_.path() + "setup.ini", payload.ini);
        for (const auto& [name, content] : payload.files) writeFile(tmp_.path() + name, content);
        ::Setup = SetupState{};
        ::Setup.SetupTmpDir = tmp_.path();
        ::Setup.SetupIniPath = tmp_.path() + "setup.ini";
        Config = InstallerConfig{};
        ReadStartupConfig();
        loadLanguageFile(tmp_.path() + "none.lng", Config.Titel, Config.Version);  // built-in texts
        ASSERT_TRUE(startWizard());
        window_ = Wizard.Window;
    }

    void TearDown() override {
        if (Wizard.Window) {
            freeWizardImages();
            closeWizardWindow();
        }
    }

    HWND control(int id) { return findControl(window_, id); }

    // The page of the page table: which page controls are visible, and whether Next is enabled.
    void expectPage(int page, bool nextEnabled = true) {
        static const std::set<int> pageControls = {SidePicture,   WelcomePanel, HeaderPanel, LicencePanel,
                                                   SettingsPanel, InfoPanel,    InstallPanel, BackButton,
                                                   NextButton,    InstallButton, CancelButton, FinishButton};
        static const std::set<int> visible[] = {
            {},
            {SidePicture, WelcomePanel, NextButton, CancelButton},
            {HeaderPanel, LicencePanel, BackButton, NextButton, CancelButton},
            {HeaderPanel, SettingsPanel, BackButton, NextButton, CancelButton},
            {HeaderPanel, InfoPanel, BackButton, NextButton, CancelButton},
            {SidePicture, InstallPanel, BackButton, InstallButton, CancelButton},
        };
        EXPECT_EQ(::Setup.CurrentPage, page);
        for (int id : pageControls)
            EXPECT_EQ(isShown(control(id)), visible[page].count(id) == 1) << "page " << page << ", control " << id;
        if (page < 5) {
            EXPECT_EQ(isEnabled(control(NextButton)), nextEnabled) << "page " << page;
        }
        if (page >= 2 && page <= 4) {
            static const StringEntry titles[] = {Page02_Titel, Page03_Titel, Page04_Titel};
            static const StringEntry messages[] = {Page02_Msg, Page03_Msg, Page04_Msg};
            EXPECT_EQ(readText(control(HeaderTitle)), text(titles[page - 2])) << "page " << page;
            EXPECT_EQ(readText(control(HeaderSubtitle)), text(messages[page - 2])) << "page " << page;
        }
    }

    void next() { clickControl(control(NextButton)); }
    void back() { clickControl(control(BackButton)); }

    // Runs the event loop with `message` waiting for the given control (or the
    // window); a loop that does not end within 20 s is stopped and fails.
    bool runLoopAfter(UINT message, HWND target, WPARAM wParam = 0) {
        PostMessageA(target, message, wParam, 0);
        const DWORD thread = GetCurrentThreadId();
        std::atomic<bool> done{false};
        std::atomic<bool> stopped{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 400 && !done; ++i) Sleep(50);
            if (!done) {
                stopped = true;
                PostThreadMessageA(thread, WM_QUIT, 0, 0);
            }
        });
        runWizardEventLoop();
        done = true;
        watchdog.join();
        return !stopped;
    }

    ScratchFolder tmp_;
    HWND window_ = nullptr;
};

Payload withLicenceAndReadme() {
    Payload p;
    p.files = {{"licence.txt", "Terms of use\r\n"}, {"readme.txt", "Read me first\r\n"}};
    return p;
}

TEST_F(WizardTest, FirstPageTitleAndFilledControls) {
    build(withLicenceAndReadme());
    EXPECT_EQ(readText(window_), " Tool 2.1");
    expectPage(1);
    EXPECT_TRUE(isShown(control(HomepageLink)));
    EXPECT_EQ(readText(control(HomepageLink)), "http://example.invalid/tool");
    EXPECT_EQ(readText(control(InstallFolderField)), Config.InstallDirDefault);
    EXPECT_EQ(Config.InstallDirDefault.rfind("C:\\Apps\\Tool", 0), 0u);
    EXPECT_EQ(readText(control(StartMenuField)), "Company\\Tool\\");
    EXPECT_EQ(Config.StartMenuPath, specialFolder(FolderPrograms) + "Company\\Tool\\");
    EXPECT_TRUE(isTicked(control(DesktopIconCheck)));
    EXPECT_TRUE(isTicked(control(DeclineOption)));
    EXPECT_FALSE(isTicked(control(AcceptOption)));
    EXPECT_EQ(readText(control(InstallStatus)), text(Install_Msg0) + " 1.5 MB");
    EXPECT_EQ(readText(control(WelcomeText)),
              text(Page01_Msg1) + "\n\n" + text(Page01_Msg2) + "\n\n" + text(Page01_Msg3));
    EXPECT_EQ(readText(control(BackButton)), "< " + text(Buttons_Back));
    EXPECT_EQ(readText(control(NextButton)), text(Buttons_Next) + " >");
    EXPECT_EQ(Config.StartProg, 1);
    // Hidden at creation although not part of the page table.
    EXPECT_FALSE(isShown(control(RunProgramCheck)));
    EXPECT_FALSE(isShown(control(InstallProgress)));
    for (int id = 1; id < WizardControlCount; ++id) EXPECT_NE(control(id), nullptr) << "control " << id;
}

TEST_F(WizardTest, TitleWithoutVersionHasNoTrailingBlank) {
    Payload p;
    p.ini = "[Settings]\r\nProgExe=Tool.exe\r\n[Info]\r\nTitel=Tool\r\n";
    build(p);
    EXPECT_EQ(readText(window_), " Tool");
}

TEST_F(WizardTest, WindowAndControlGeometryAndFonts) {
    build(withLicenceAndReadme());
    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, 480);
    EXPECT_EQ(client.bottom, 335);
    RECT outer;
    GetWindowRect(window_, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);  // centred
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    struct Place {
        int id, x, y, width, height;
    };
    const Place places[] = {
        {WelcomePanel, 130, 0, 350, 300},  {SidePicture, 0, 0, 130, 300},   {HeaderIcon, 440, 9, 32, 32},
        {LicenceText, 10, 10, 455, 190},   {DeclineOption, 10, 227, 455, 15}, {InstallFolderField, 10, 55, 300, 20},
        {StartMenuButton, 190, 140, 65, 20}, {InfoText, 10, 10, 455, 225},  {InstallLog, 10, 100, 330, 130},
        {HomepageLink, 10, 310, 240, 15},  {NextButton, 320, 307, 65, 22},   {InstallButton, 325, 307, 80, 22},
        {FinishButton, 415, 307, 60, 22},
    };
    for (const Place& p : places) {
        const RECT r = placeOf(control(p.id));
        EXPECT_EQ(r.left, p.x) << "control " << p.id;
        EXPECT_EQ(r.top, p.y) << "control " << p.id;
        EXPECT_EQ(r.right - r.left, p.width) << "control " << p.id;
        EXPECT_EQ(r.bottom - r.top, p.height) << "control " << p.id;
    }
    // Panels: thin sunken edge on the three inner pages, none on the white ones.
    EXPECT_TRUE(GetWindowLongPtrA(control(LicencePanel), GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_FALSE(GetWindowLongPtrA(control(WelcomePanel), GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE));
    EXPECT_EQ(GetParent(control(AcceptOption)), control(LicencePanel));

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    struct FontCase {
        int id;
        const char* face;
        int points;
        int weight;
    };
    const FontCase fonts[] = {
        {HeaderSubtitle, "Arial", 8, 400}, {HomepageLink, "Arial", 8, 700},   {WelcomeText, "Arial", 9, 400},
        {StartMenuLabel, "Arial", 9, 700}, {WelcomeTitle, "Arial", 12, 700}, {InstallButton, "MS Sans Serif", 8, 700},
        {NoStartMenuCheck, "Arial", 8, 400}, {RunProgramCheck, "Arial", 9, 400},
    };
    for (const FontCase& f : fonts) {
        LOGFONTA font = {};
        ASSERT_TRUE(GetObjectA(HFONT(SendMessageA(control(f.id), WM_GETFONT, 0, 0)), sizeof font, &font)) << f.id;
        EXPECT_STREQ(font.lfFaceName, f.face) << "control " << f.id;
        EXPECT_EQ(font.lfHeight, -MulDiv(f.points, dpi, 72)) << "control " << f.id;
        EXPECT_EQ(font.lfWeight, f.weight) << "control " << f.id;
    }
    EXPECT_EQ(HGDIOBJ(SendMessageA(control(NextButton), WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));

    // The etched line under the page area.
    HWND line = nullptr;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ) line = child;
    ASSERT_NE(line, nullptr);
    const RECT r = placeOf(line);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 300);
    EXPECT_GE(r.right - r.left, 483);  // the system may add its etched edge to the width
}

TEST_F(WizardTest, WalkForwardAndBackWithLicenceAndReadme) {
    build(withLicenceAndReadme());
    next();
    expectPage(2, false);  // declined until accepted
    clickControl(control(AcceptOption));
    expectPage(2, true);
    next();
    expectPage(3);
    next();
    expectPage(4);
    next();
    expectPage(5);
    EXPECT_FALSE(isShown(control(NextButton)));
    back();
    expectPage(4);
    back();
    expectPage(3);
    back();
    expectPage(2, true);  // the acceptance stays as the user left it
    EXPECT_TRUE(isTicked(control(AcceptOption)));
    back();
    expectPage(1);
}

TEST_F(WizardTest, LicenceDeclinedKeepsNextDisabledOnItsPage) {
    build(withLicenceAndReadme());
    next();
    expectPage(2, false);
    clickControl(control(AcceptOption));
    clickControl(control(DeclineOption));
    expectPage(2, false);
    back();
    expectPage(1, true);
    next();
    expectPage(2, false);
}

TEST_F(WizardTest, PagesWithoutTextAreSkipped) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<int> forward;  // pages after each Next from page 1
    };
    const Case cases[] = {
        {"neither", {}, {3, 5}},
        {"licence only", {{"licence.rtf", "{\\rtf1 Terms}"}}, {2, 3, 5}},
        {"readme only", {{"readme.txt", "Notes"}}, {3, 4, 5}},
        {"empty files", {{"licence.txt", ""}, {"readme.txt", ""}}, {3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Payload p;
        p.files = c.files;
        build(p);
        for (int page : c.forward) {
            if (page == 3 && ::Setup.CurrentPage == 2) clickControl(control(AcceptOption));
            next();
            expectPage(page, page != 2);  // the licence starts declined
        }
        // And back the same way to page 1.
        for (auto it = c.forward.rbegin() + 1; it != c.forward.rend(); ++it) {
            back();
            expectPage(*it, true);
        }
        back();
        expectPage(1);
        TearDown();
        for (const auto& [name, content] : c.files) DeleteFileA((tmp_.path() + name).c_str());
    }
}

TEST_F(WizardTest, RichTextFileWinsAndPlainTextShowsCode) {
    Payload p;
    p.files = {{"licence.rtf", "{\\rtf1\\ansi Rich terms\\par}"},
               {"licence.txt", "Plain terms"},
               {"readme.txt", "{\\rtf1 not parsed}"}};
    build(p);
    EXPECT_EQ(readText(control(LicenceText)).substr(0, 10), "Rich terms");
    EXPECT_EQ(readText(control(InfoText)), "{\\rtf1 not parsed}");
    // Read-only and wrapped at the control's width: no horizontal scrolling.
    EXPECT_TRUE(GetWindowLongPtrA(control(LicenceText), GWL_STYLE) & ES_READONLY);
}

TEST_F(WizardTest, OptionalControlsHiddenByConfiguration) {
    Payload p;
    p.ini = "[Settings]\r\nProgExe=Tool.bat\r\nDefaultDir=C:\\Apps\\Tool\r\n[Info]\r\nTitel=Tool\r\n"
            "[Task]\r\nStartMenu=0\r\nStartProg=1\r\n";
    build(p);
    EXPECT_FALSE(isShown(control(HomepageLink)));  // no [Info] Web
    next();
    expectPage(3);
    for (int id : {StartMenuLabel, StartMenuField, StartMenuButton, NoStartMenuCheck, DesktopIconCheck})
        EXPECT_FALSE(isShown(control(id))) << "control " << id;
    for (int id : {InstallFolderLabel, InstallFolderField, InstallFolderButton})
        EXPECT_TRUE(isShown(control(id))) << "control " << id;
    EXPECT_EQ(Config.StartProg, 0);  // not an .exe
    EXPECT_EQ(readText(control(StartMenuField)), "Tool\\");  // named after the program
}

TEST_F(WizardTest, RebootClearsTheStartProgramChoice) {
    Payload p;
    p.ini = "[Settings]\r\nProgExe=Tool.exe\r\n[Info]\r\nTitel=Tool\r\n[Task]\r\nStartProg=1\r\nReboot=1\r\n";
    build(p);
    EXPECT_EQ(Config.StartProg, 0);
    EXPECT_EQ(Config.Reboot, 1);
}

TEST_F(WizardTest, InstallFolderFieldCompletedWhenLeft) {
    build(withLicenceAndReadme());
    HWND field = control(InstallFolderField);
    HWND other = control(DesktopIconCheck);
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Apps", "D:\\Apps\\Tool"},
        {"D:\\Toolbox", "D:\\Toolbox"},
        {"D:\\Apps\\tool", "D:\\Apps\\tool\\Tool"},
        {"", "\\Tool"},
    };
    for (const auto& [typed, expected] : cases) {
        typeInto(field, typed);
        leaveField(field, other);
        EXPECT_EQ(readText(field), expected) << typed;
    }
}

TEST_F(WizardTest, StartMenuFieldCompletedWhenLeftWithoutChangingThePath) {
    build(withLicenceAndReadme());
    HWND field = control(StartMenuField);
    HWND other = control(DesktopIconCheck);
    const std::string path = Config.StartMenuPath;
    typeInto(field, "");
    leaveField(field, other);
    EXPECT_EQ(readText(field), "Company\\Tool");
    typeInto(field, "Games");
    leaveField(field, other);
    EXPECT_EQ(readText(field), "Games\\Company\\Tool");
    EXPECT_EQ(Config.StartMenuPath, path);
}

TEST_F(WizardTest, NoStartMenuCheckGreysOutTheStartMenuChoice) {
    build(withLicenceAndReadme());
    clickControl(control(NoStartMenuCheck));
    EXPECT_TRUE(isTicked(control(NoStartMenuCheck)));
    EXPECT_FALSE(isEnabled(control(StartMenuField)));
    EXPECT_FALSE(isEnabled(control(StartMenuButton)));
    clickControl(control(NoStartMenuCheck));
    EXPECT_TRUE(isEnabled(control(StartMenuField)));
    EXPECT_TRUE(isEnabled(control(StartMenuButton)));
}

// The colour a control-colour request gets: the returned brush's colour and the DC's colours.
struct ColourAnswer {
    COLORREF brush, text, background;
};

ColourAnswer askColour(HWND parent, HWND child) {
    HDC dc = GetDC(child);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    const HBRUSH brush = HBRUSH(SendMessageA(parent, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(child)));
    LOGBRUSH logBrush = {};
    GetObjectA(brush, sizeof logBrush, &logBrush);
    ColourAnswer answer = {logBrush.lbColor, GetTextColor(dc), GetBkColor(dc)};
    ReleaseDC(child, dc);
    return answer;
}

TEST_F(WizardTest, RunProgramCheckBlackOnWhite) {
    build(withLicenceAndReadme());
    const COLORREF white = RGB(255, 255, 255);
    const ColourAnswer check = askColour(control(InstallPanel), control(RunProgramCheck));
    EXPECT_EQ(check.brush, white);
    EXPECT_EQ(check.text, RGB(0, 0, 0));
    EXPECT_EQ(check.background, white);
    // Asked at the window itself, too.
    EXPECT_EQ(askColour(window_, control(RunProgramCheck)).brush, white);
    // Texts of the white panels are white; the options on the licence panel are not.
    EXPECT_EQ(askColour(control(WelcomePanel), control(WelcomeTitle)).brush, white);
    EXPECT_EQ(askColour(control(HeaderPanel), control(HeaderIcon)).brush, white);
    EXPECT_NE(askColour(control(LicencePanel), control(AcceptOption)).brush, white);
    EXPECT_NE(askColour(window_, control(HomepageLink)).brush, white);
}

TEST_F(WizardTest, HomepageLinkShowsTheHandCursor) {
    build(withLicenceAndReadme());
    HWND link = control(HomepageLink);
    SendMessageA(link, WM_SETCURSOR, WPARAM(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(Wizard.LinkHovered);
    SendMessageA(link, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(Wizard.LinkHovered);
}

TEST_F(WizardTest, PicturesFromThePayload) {
    Payload p;
    p.files = {{"splash.bmp", bitmapFile(130, 300)}, {"header.ico", iconFile()}};
    HICON builtIn = HeaderImage;
    build(p);
    EXPECT_NE(SendMessageA(control(SidePicture), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_NE(HeaderImage, nullptr);
    EXPECT_NE(HeaderImage, builtIn);
    EXPECT_EQ(HICON(SendMessageA(control(HeaderIcon), STM_GETICON, 0, 0)), HeaderImage);
    freeWizardImages();
    EXPECT_EQ(HeaderImage, nullptr);
    EXPECT_EQ(Wizard.SideImage, nullptr);
}

TEST_F(WizardTest, BrokenPicturesLeaveTheDefaults) {
    Payload p;
    p.files = {{"splash.bmp", "not a bitmap"}, {"header.ico", "not an icon"}};
    build(p);
    EXPECT_EQ(SendMessageA(control(SidePicture), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(Wizard.SideImage, nullptr);
}

TEST_F(WizardTest, CancelEndsTheLoopAndClearsTheEndActions) {
    Payload p;
    p.ini = "[Settings]\r\nProgExe=Tool.exe\r\n[Info]\r\nTitel=Tool\r\n[Task]\r\nStartProg=1\r\n";
    build(p);
    ASSERT_EQ(Config.StartProg, 1);
    next();
    ASSERT_TRUE(runLoopAfter(BM_CLICK, control(CancelButton))) << "the wizard stayed open";
    EXPECT_TRUE(::Setup.Cancelled);
    EXPECT_TRUE(::Setup.QuitRequested);
    EXPECT_EQ(Config.StartProg, 0);
    EXPECT_EQ(Config.Reboot, 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(Wizard.Window, nullptr);
    EXPECT_TRUE(fileExists(tmp_.path() + "setup.ini"));  // removed only at the finish
}

TEST_F(WizardTest, CloseRequestRemovesTheTemporaryFolder) {
    Payload p;
    p.ini = "[Settings]\r\nProgExe=Tool.exe\r\n[Info]\r\nTitel=Tool\r\n[Task]\r\nStartProg=1\r\n";
    build(p);
    ASSERT_TRUE(runLoopAfter(WM_CLOSE, window_)) << "the wizard stayed open";
    EXPECT_FALSE(::Setup.Cancelled);
    EXPECT_EQ(Config.StartProg, 1);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_FALSE(folderExists(tmp_.path()));
}

TEST_F(WizardTest, RunWizardRemovesTheTemporaryFolderAtTheEnd) {
    writeFile(tmp_.path() + "setup.ini", "[Settings]\r\nProgExe=Tool.exe\r\n[Info]\r\nTitel=Tool\r\n");
    ::Setup = SetupState{};
    ::Setup.SetupTmpDir = tmp_.path();
    ::Setup.SetupIniPath = tmp_.path() + "setup.ini";
    Config = InstallerConfig{};
    ReadStartupConfig();
    loadLanguageFile(tmp_.path() + "none.lng", Config.Titel, Config.Version);
    // Cancel as soon as the window exists: the wizard is built inside RunWizard.
    std::thread canceller([] {
        for (int i = 0; i < 400; ++i) {
            HWND window = FindWindowA("QbWizardWindow", " Tool");
            if (window && IsWindowVisible(window)) {
                PostMessageA(findControl(window, CancelButton), BM_CLICK, 0, 0);
                return;
            }
            Sleep(50);
        }
    });
    RunWizard();
    canceller.join();
    EXPECT_TRUE(::Setup.Cancelled);
    EXPECT_FALSE(folderExists(tmp_.path()));
}

}  // namespace
