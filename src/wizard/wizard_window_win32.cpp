#include "wizard/wizard_window_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include "payload/pack_format.h"
#include "setup/installer_config_win32.h"
#include "setup/startup_win32.h"
#include "setup/wizard_run_win32.h"
#include "system/folders_win32.h"
#include "wizard/language_win32.h"
#include "wizard/navigation.h"
#include "wizard/window_frame_win32.h"

WizardWindow Wizard;

namespace {

const char wizardClass[] = "QbWizardWindow";
const char panelClass[] = "QbWizardPanel";            // a container on the window's normal background
const char whitePanelClass[] = "QbWizardWhitePanel";  // a container that paints white
const char linkClass[] = "QbWizardLink";              // the program-drawn homepage link

enum class ControlKind { Container, Text, Image, Editor, Option, CheckBox, String, List, ProgressBar, Hyperlink, Button };

enum ControlFlag : unsigned {
    White = 1,       // white background
    Centred = 2,     // text centred line by line
    SunkenEdge = 4,  // the thin one-pixel static edge (containers)
    IconImage = 8,   // an image control showing an icon rather than a bitmap
};

// One row of the control table: everything needed to create the control.
struct ControlSpec {
    int id;                  // control number and window ID
    ControlKind kind;        // what to create
    int x, y, width, height; // place in the container's (or window's) client area
    std::string (*content)();  // text at creation; none for no text
    int font;                // font number 1-6, 0 for the system's GUI font
    int container;           // number of the container, 0 for the window itself
    unsigned flags;          // ControlFlag bits
};

std::string welcomeText() {
    return text(Page01_Msg1) + "\n\n" + text(Page01_Msg2) + "\n\n" + text(Page01_Msg3);
}

// The controls in the order of creation; a container comes before its children.
const ControlSpec controlTable[] = {
    {WelcomePanel, ControlKind::Container, 130, 0, 350, 300, nullptr, 0, 0, White},
    {WelcomeTitle, ControlKind::Text, 10, 10, 330, 60, [] { return text(Page01_Titel); }, 5, WelcomePanel, Centred | White},
    {WelcomeText, ControlKind::Text, 10, 80, 330, 120, welcomeText, 3, WelcomePanel, White},
    // Reserved below the welcome text; nothing fills it yet.
    {WelcomeNotice, ControlKind::Text, 10, 210, 330, 80, nullptr, 3, WelcomePanel, White},
    {SidePicture, ControlKind::Image, 0, 0, 130, 300, nullptr, 0, 0, 0},
    {HeaderPanel, ControlKind::Container, 0, 0, 480, 48, nullptr, 0, 0, White},
    {HeaderTitle, ControlKind::Text, 10, 10, 415, 15, [] { return text(Page02_Titel); }, 2, HeaderPanel, White},
    {HeaderSubtitle, ControlKind::Text, 20, 25, 405, 15, [] { return text(Page02_Msg); }, 1, HeaderPanel, White},
    {HeaderIcon, ControlKind::Image, 440, 9, 32, 32, nullptr, 0, HeaderPanel, IconImage},
    {LicencePanel, ControlKind::Container, 0, 50, 480, 250, nullptr, 0, 0, SunkenEdge},
    {LicenceText, ControlKind::Editor, 10, 10, 455, 190, nullptr, 0, LicencePanel, 0},
    {AcceptOption, ControlKind::Option, 10, 208, 455, 15, [] { return text(Page02_AcceptYes); }, 3, LicencePanel, 0},
    {DeclineOption, ControlKind::Option, 10, 227, 455, 15, [] { return text(Page02_AcceptNo); }, 3, LicencePanel, 0},
    {SettingsPanel, ControlKind::Container, 0, 50, 480, 250, nullptr, 0, 0, SunkenEdge},
    {InstallFolderLabel, ControlKind::Text, 10, 30, 375, 15, [] { return text(Page03_ProgDir); }, 4, SettingsPanel, 0},
    {InstallFolderField, ControlKind::String, 10, 55, 300, 20, nullptr, 0, SettingsPanel, 0},
    {InstallFolderButton, ControlKind::Button, 315, 55, 65, 20, [] { return text(Buttons_Change); }, 0, SettingsPanel, 0},
    {StartMenuLabel, ControlKind::Text, 10, 115, 375, 15, [] { return text(Page03_MenuDir); }, 4, SettingsPanel, 0},
    {StartMenuField, ControlKind::String, 10, 140, 175, 20, nullptr, 0, SettingsPanel, 0},
    {StartMenuButton, ControlKind::Button, 190, 140, 65, 20, [] { return text(Buttons_Change); }, 0, SettingsPanel, 0},
    {NoStartMenuCheck, ControlKind::CheckBox, 10, 165, 370, 15, [] { return text(Page03_NoStartMenu); }, 1, SettingsPanel, 0},
    {DesktopIconCheck, ControlKind::CheckBox, 10, 225, 370, 15, [] { return text(Page03_DesktopIcon); }, 3, SettingsPanel, 0},
    {InfoPanel, ControlKind::Container, 0, 50, 480, 250, nullptr, 0, 0, SunkenEdge},
    {InfoText, ControlKind::Editor, 10, 10, 455, 225, nullptr, 0, InfoPanel, 0},
    {InstallPanel, ControlKind::Container, 130, 0, 350, 300, nullptr, 0, 0, White},
    {InstallTitle, ControlKind::Text, 10, 15, 330, 50, [] { return text(Page05_Titel1); }, 5, InstallPanel, Centred | White},
    {InstallHint, ControlKind::Text, 10, 260, 330, 40, [] { return text(Page05_Msg); }, 3, InstallPanel, Centred | White},
    {InstallStatus, ControlKind::Text, 10, 75, 330, 15, [] { return text(Page05_Install); }, 4, InstallPanel, White},
    // Black on white through the window callback, not through its panel.
    {RunProgramCheck, ControlKind::CheckBox, 10, 245, 330, 15, [] { return text(Page05_RunProg); }, 3, InstallPanel, 0},
    {InstallLog, ControlKind::List, 10, 100, 330, 130, nullptr, 0, InstallPanel, 0},
    {InstallProgress, ControlKind::ProgressBar, 10, 245, 330, 20, nullptr, 0, InstallPanel, 0},
    {HomepageLink, ControlKind::Hyperlink, 10, 310, 240, 15, nullptr, 2, 0, 0},
    {BackButton, ControlKind::Button, 250, 307, 65, 22, [] { return "< " + text(Buttons_Back); }, 0, 0, 0},
    {NextButton, ControlKind::Button, 320, 307, 65, 22, [] { return text(Buttons_Next) + " >"; }, 0, 0, 0},
    {InstallButton, ControlKind::Button, 325, 307, 80, 22, [] { return text(Buttons_Install); }, 6, 0, 0},
    {CancelButton, ControlKind::Button, 415, 307, 60, 22, [] { return text(Buttons_Cancel); }, 0, 0, 0},
    {FinishButton, ControlKind::Button, 415, 307, 60, 22, [] { return text(Buttons_Finish); }, 0, 0, 0},
};
static_assert(sizeof controlTable / sizeof controlTable[0] == WizardControlCount - 1, "one row per control");

// Not on page 1; hidden once all controls exist.
const int hiddenAtStart[] = {HeaderPanel,     InfoPanel,  LicencePanel,  SettingsPanel,   InstallPanel,
                             RunProgramCheck, BackButton, InstallButton, InstallProgress, FinishButton};

// Face, points and boldness of fonts 1-6.
struct FontSpec {
    const char* face;
    int points;
    bool bold;
};
const FontSpec fontTable[] = {{"Arial", 8, false}, {"Arial", 8, true},  {"Arial", 9, false},
                              {"Arial", 9, true},  {"Arial", 12, true}, {"MS Sans Serif", 8, true}};

bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Fonts live until the process ends, so a second wizard (tests) reuses them.
void createFonts() {
    if (Wizard.Fonts[1]) return;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (int i = 0; i < 6; ++i) {
        const FontSpec& f = fontTable[i];
        Wizard.Fonts[size_t(i) + 1] =
            CreateFontA(-MulDiv(f.points, dpi, 72), 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, f.face);
    }
}

// The rich edit library, by full path from the system folder so that no DLL
// lying beside the downloaded installer is loaded in its place. Returns the
// window class of the loaded version, or none.
const char* richEditClass() {
    static const char* loadedClass = nullptr;
    if (loadedClass) return loadedClass;
    char system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return nullptr;
    const std::string folder = addBackslash(system);
    if (LoadLibraryA((folder + "riched20.dll").c_str()))
        loadedClass = RICHEDIT_CLASSA;  // version 2 or later
    else if (LoadLibraryA((folder + "riched32.dll").c_str()))
        loadedClass = "RICHEDIT";  // version 1
    return loadedClass;
}

bool isWhitePanel(HWND panel) {
    char name[64] = {};
    GetClassNameA(panel, name, sizeof name);
    return lstrcmpiA(name, whitePanelClass) == 0;
}

// Containers pass their children's notifications to the window, where the
// handlers live, and colour the children of a white panel white.
LRESULT CALLBACK panelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
        if (Wizard.Window) return SendMessageA(Wizard.Window, message, wParam, lParam);
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        if (HWND(lParam) == Wizard.Controls[RunProgramCheck] && Wizard.Window)
            return SendMessageA(Wizard.Window, message, wParam, lParam);
        if (message == WM_CTLCOLORSTATIC && isWhitePanel(panel)) {
            SetBkColor(HDC(wParam), RGB(255, 255, 255));
            SetTextColor(HDC(wParam), GetSysColor(COLOR_WINDOWTEXT));
            return LRESULT(Wizard.WhiteBrush);
        }
        break;
    }
    return DefWindowProcA(panel, message, wParam, lParam);
}

// HomepageLink: drawn here so it can change colour under the pointer without
// being underlined, and report a click only on the release of the button.
LRESULT CALLBACK linkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(link, &paint);
        RECT area;
        GetClientRect(link, &area);
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        HGDIOBJ font = HGDIOBJ(GetWindowLongPtrA(link, GWLP_USERDATA));
        HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Wizard.LinkHovered ? homepageLinkColour : RGB(0, 0, 0));
        char buffer[1024] = {};
        GetWindowTextA(link, buffer, sizeof buffer);
        DrawTextA(dc, buffer, -1, &area, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        EndPaint(link, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the background itself, without flicker
    case WM_SETCURSOR:
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
        return TRUE;
    case WM_MOUSEMOVE:
        if (!Wizard.LinkHovered) {
            Wizard.LinkHovered = true;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, link, 0};
            TrackMouseEvent(&track);
            InvalidateRect(link, nullptr, FALSE);
        }
        return 0;
    case WM_MOUSELEAVE:
        Wizard.LinkHovered = false;
        InvalidateRect(link, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        RECT area;
        GetClientRect(link, &area);
        const POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        if (PtInRect(&area, at))
            SendMessageA(GetParent(link), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(link), BN_CLICKED), LPARAM(link));
        return 0;
    }
    case WM_SETFONT:
        SetWindowLongPtrA(link, GWLP_USERDATA, LONG_PTR(wParam));
        if (LOWORD(lParam)) InvalidateRect(link, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return LRESULT(GetWindowLongPtrA(link, GWLP_USERDATA));
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(link, message, wParam, lParam);
        InvalidateRect(link, nullptr, FALSE);
        return result;
    }
    }
    return DefWindowProcA(link, message, wParam, lParam);
}

// The window callback that fillWizard registers.
LRESULT CALLBACK wizardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (HWND(lParam) == Wizard.Controls[RunProgramCheck]) {
            SetTextColor(HDC(wParam), RGB(0, 0, 0));
            SetBkColor(HDC(wParam), RGB(255, 255, 255));
            SetBkMode(HDC(wParam), OPAQUE);
            return LRESULT(Wizard.WhiteBrush);
        }
        break;
    case WM_COMMAND:
        if (lParam) handleWizardEvent(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        // Alt+F4 or a close message: the run ends through the event loop, not
        // through the default handling that would destroy the window here.
        handleWizardClose();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerClasses() {
    static bool registered = false;
    if (registered) return true;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wizard = {};
    wizard.lpfnWndProc = DefWindowProcA;  // fillWizard puts the wizard's callback in place
    wizard.hInstance = instance;
    wizard.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wizard.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    wizard.lpszClassName = wizardClass;
    WNDCLASSA panel = wizard;
    panel.lpfnWndProc = panelProc;
    panel.lpszClassName = panelClass;
    WNDCLASSA whitePanel = panel;
    whitePanel.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
    whitePanel.lpszClassName = whitePanelClass;
    WNDCLASSA link = wizard;
    link.lpfnWndProc = linkProc;
    link.lpszClassName = linkClass;
    registered = RegisterClassA(&wizard) && RegisterClassA(&panel) && RegisterClassA(&whitePanel) && RegisterClassA(&link);
    return registered;
}

HWND createControl(const ControlSpec& spec) {
    HWND parent = spec.container ? Wizard.Controls[size_t(spec.container)] : Wizard.Window;
    const char* windowClass = "STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (spec.kind) {
    case ControlKind::Container:
        windowClass = (spec.flags & White) ? whitePanelClass : panelClass;
        style |= WS_CLIPCHILDREN;
        exStyle = WS_EX_CONTROLPARENT | ((spec.flags & SunkenEdge) ? WS_EX_STATICEDGE : 0);
        break;
    case ControlKind::Text:
        style |= SS_NOPREFIX | ((spec.flags & Centred) ? SS_CENTER : SS_LEFT);
        break;
    case ControlKind::Image:
        // Centred image: the control keeps its size whatever the picture's size.
        style |= ((spec.flags & IconImage) ? SS_ICON : SS_BITMAP) | SS_CENTERIMAGE;
        break;
    case ControlKind::Editor:
        windowClass = richEditClass();
        if (!windowClass) return nullptr;
        style |= WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Option:
        windowClass = "BUTTON";
        style |= BS_AUTORADIOBUTTON | ((spec.id == AcceptOption) ? WS_GROUP | WS_TABSTOP : 0);
        break;
    case ControlKind::CheckBox:
        windowClass = "BUTTON";
        style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
    case ControlKind::String:
        windowClass = "EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::List:
        windowClass = "LISTBOX";
        style |= WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::ProgressBar:
        windowClass = PROGRESS_CLASSA;
        break;
    case ControlKind::Hyperlink:
        windowClass = linkClass;
        break;
    case ControlKind::Button:
        windowClass = "BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    }
    const std::string content = spec.content ? spec.content() : std::string();
    HWND control = CreateWindowExA(exStyle, windowClass, content.c_str(), style, spec.x, spec.y, spec.width,
                                   spec.height, parent, HMENU(INT_PTR(spec.id)), GetModuleHandleA(nullptr), nullptr);
    if (!control) return nullptr;
    HGDIOBJ font = spec.font ? HGDIOBJ(Wizard.Fonts[size_t(spec.font)]) : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(control, WM_SETFONT, WPARAM(font), FALSE);
    if (spec.kind == ControlKind::Editor) {
        SendMessageA(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);  // no text limit
    } else if (spec.kind == ControlKind::ProgressBar) {
        SendMessageA(control, PBM_SETRANGE32, 0, 100);
    } else if (spec.id == HeaderIcon && HeaderImage) {
        SendMessageA(control, STM_SETICON, WPARAM(HeaderImage), 0);
    }
    return control;
}

}  // namespace

HWND wizardControl(int id) { return id > 0 && id < WizardControlCount ? Wizard.Controls[size_t(id)] : nullptr; }

std::string wizardCaption(const std::string& titleText) { return " " + titleText; }

HWND buildWizardWindow(const std::string& titleText) {
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&common);
    if (!registerClasses()) return nullptr;
    createFonts();
    if (!Wizard.WhiteBrush) Wizard.WhiteBrush = CreateSolidBrush(RGB(255, 255, 255));

    // A caption only: no system menu, so no close, minimise or maximise box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION;
    const RECT frame = centredWindowFrame(wizardClientWidth, wizardClientHeight, style);
    Wizard.Window = CreateWindowExA(WS_EX_CONTROLPARENT, wizardClass, wizardCaption(titleText).c_str(), style,
                                    frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!Wizard.Window) return nullptr;

    for (const ControlSpec& spec : controlTable) {
        HWND control = createControl(spec);
        if (!control) {
            closeWizardWindow();
            return nullptr;
        }
        Wizard.Controls[size_t(spec.id)] = control;
    }
    for (int id : hiddenAtStart) ShowWindow(Wizard.Controls[size_t(id)], SW_HIDE);
    ShowWindow(Wizard.Window, SW_SHOW);
    UpdateWindow(Wizard.Window);
    return Wizard.Window;
}

void fillWizard() {
    if (!Wizard.Window) return;
    SetWindowLongPtrA(Wizard.Window, GWLP_WNDPROC, LONG_PTR(wizardWindowProc));

    const std::string& folder = Setup.SetupTmpDir;
    if (isFile(folder + "licence.rtf"))
        loadTextIntoEditor(wizardControl(LicenceText), folder + "licence.rtf");
    else if (isFile(folder + "licence.txt"))
        loadTextIntoEditor(wizardControl(LicenceText), folder + "licence.txt");
    SendMessageA(wizardControl(DeclineOption), BM_SETCHECK, BST_CHECKED, 0);
    if (isFile(folder + "readme.rtf"))
        loadTextIntoEditor(wizardControl(InfoText), folder + "readme.rtf");
    else if (isFile(folder + "readme.txt"))
        loadTextIntoEditor(wizardControl(InfoText), folder + "readme.txt");

    ReadInstallerConfig();

    if (Config.Web.empty())
        showControl(HomepageLink, false);
    else
        SetWindowTextA(wizardControl(HomepageLink), Config.Web.c_str());
    const bool exeProgram = isExeProgram(Config.ProgExe);
    if (!exeProgram) Config.StartProg = 0;

    if (Config.StartMenu == 0)
        for (int id : {StartMenuLabel, StartMenuField, StartMenuButton, NoStartMenuCheck}) showControl(id, false);
    if (Config.Reboot != 0) Config.StartProg = 0;

    SetWindowTextA(wizardControl(InstallFolderField), Config.InstallDirDefault.c_str());

    if (Config.StartMenuFolder.empty()) Config.StartMenuFolder = nameBeforeFirstDot(Config.ProgExe);
    Config.StartMenuPath = specialFolder(FolderPrograms) + addBackslash(Config.StartMenuFolder);
    SetWindowTextA(wizardControl(StartMenuField), addBackslash(Config.StartMenuFolder).c_str());

    SendMessageA(wizardControl(DesktopIconCheck), BM_SETCHECK, Config.DesktopDefault ? BST_CHECKED : BST_UNCHECKED, 0);

    if (!exeProgram) {
        showControl(DesktopIconCheck, false);
        Config.StartProg = 0;
    }

    SetWindowTextA(wizardControl(InstallStatus), (text(Install_Msg0) + " " + Config.PrgSize).c_str());

    if (isFile(folder + "splash.bmp")) {
        Wizard.SideImage = HBITMAP(LoadImageA(nullptr, (folder + "splash.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        if (Wizard.SideImage) SendMessageA(wizardControl(SidePicture), STM_SETIMAGE, IMAGE_BITMAP, LPARAM(Wizard.SideImage));
    }
    if (isFile(folder + "header.ico")) {
        HICON icon = HICON(LoadImageA(nullptr, (folder + "header.ico").c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
        if (icon) {
            SendMessageA(wizardControl(HeaderIcon), STM_SETICON, WPARAM(icon), 0);
            if (HeaderImage) DestroyIcon(HeaderImage);
            HeaderImage = icon;
        }
    }

    Wizard.EtchedLine = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 300, 483, 2,
                                        Wizard.Window, nullptr, GetModuleHandleA(nullptr), nullptr);
}

namespace {

// Hands the rich edit control the next piece of the file; a failed read ends the stream.
DWORD CALLBACK readFilePiece(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    DWORD read = 0;
    const BOOL ok = ReadFile(HANDLE(cookie), buffer, DWORD(wanted), &read, nullptr);
    *got = LONG(read);
    return ok ? 0 : 1;
}

}  // namespace

void loadTextIntoEditor(HWND editor, const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string extension = entryExtension(path);
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    EDITSTREAM stream = {};
    stream.dwCookie = DWORD_PTR(file);
    stream.pfnCallback = readFilePiece;
    SendMessageA(editor, EM_STREAMIN, extension == "RTF" ? SF_RTF : SF_TEXT, LPARAM(&stream));
    CloseHandle(file);
    // No target device: lines wrap at the control's own width.
    SendMessageA(editor, EM_SETTARGETDEVICE, 0, 0);
}

std::string controlText(int id) {
    HWND control = wizardControl(id);
    if (!control) return "";
    std::string buffer(size_t(GetWindowTextLengthA(control)) + 1, '\0');
    buffer.resize(size_t(GetWindowTextA(control, buffer.data(), int(buffer.size()))));
    return buffer;
}

void showControl(int id, bool visible) { ShowWindow(wizardControl(id), visible ? SW_SHOW : SW_HIDE); }

void enableControl(int id, bool enabled) { EnableWindow(wizardControl(id), enabled); }

void freeWizardImages() {
    if (Wizard.SideImage) {
        if (HWND picture = wizardControl(SidePicture)) SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, 0);
        DeleteObject(Wizard.SideImage);
        Wizard.SideImage = nullptr;
    }
    if (HeaderImage) {
        if (HWND icon = wizardControl(HeaderIcon)) SendMessageA(icon, STM_SETICON, 0, 0);
        DestroyIcon(HeaderImage);
        HeaderImage = nullptr;
    }
}

void closeWizardWindow() {
    if (Wizard.Window) DestroyWindow(Wizard.Window);
    Wizard.Window = nullptr;
    Wizard.Controls = {};
    Wizard.EtchedLine = nullptr;
    Wizard.LinkHovered = false;
}
