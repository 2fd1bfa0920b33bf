// WizardWindow: the setup program's five-page wizard, its fonts, pictures and
// 37 controls, built from one table and filled from the configuration.
#pragma once

#include <windows.h>

#include <array>
#include <string>

// Control IDs: each control's number in the control table, so tests and
// window inspectors find NextButton as control 6.
enum WizardControl : int {
    HeaderPanel = 1,
    HeaderSubtitle = 2,
    HeaderIcon = 3,
    HomepageLink = 4,
    BackButton = 5,
    NextButton = 6,
    CancelButton = 7,
    InstallButton = 8,
    FinishButton = 9,
    InfoPanel = 10,
    InfoText = 11,
    LicencePanel = 12,
    LicenceText = 13,
    AcceptOption = 14,
    DeclineOption = 15,
    SettingsPanel = 16,
    HeaderTitle = 17,
    InstallFolderLabel = 18,
    InstallFolderField = 19,
    InstallFolderButton = 20,
    StartMenuLabel = 21,
    StartMenuField = 22,
    StartMenuButton = 23,
    NoStartMenuCheck = 24,
    DesktopIconCheck = 25,
    WelcomePanel = 26,
    WelcomeTitle = 27,
    WelcomeText = 28,
    WelcomeNotice = 29,
    SidePicture = 30,
    InstallPanel = 31,
    InstallTitle = 32,
    InstallHint = 33,
    InstallStatus = 34,
    InstallLog = 35,
    RunProgramCheck = 36,
    InstallProgress = 37,
    WizardControlCount = 38  // one past the highest number; index 0 is unused
};

// Link colour of HomepageLink while the mouse pointer is over it.
inline constexpr COLORREF homepageLinkColour = RGB(0, 64, 128);

// Client area of the wizard window.
inline constexpr int wizardClientWidth = 480;
inline constexpr int wizardClientHeight = 335;

struct WizardWindow {
    HWND Window = nullptr;                             // the top-level window; none when not built
    std::array<HWND, WizardControlCount> Controls{};   // controls by number (index = control ID)
    std::array<HFONT, 7> Fonts{};                      // fonts 1-6 by number; index 0 unused
    HBITMAP SideImage = nullptr;                       // image 2, the payload's splash.bmp, when loaded
    HWND EtchedLine = nullptr;                         // separator above the button row
    HBRUSH WhiteBrush = nullptr;                       // background of the white panels and RunProgramCheck
    bool LinkHovered = false;                          // the mouse pointer is over HomepageLink
};

extern WizardWindow Wizard;  // the one wizard of the run

// The control with number `id` of the wizard (none before buildWizardWindow).
HWND wizardControl(int id);

// The window title for a title text: one leading blank, as the product always shows it.
std::string wizardCaption(const std::string& titleText);

// Creates the fonts, the window and all controls, hides those not on page 1
// and shows the window. Returns the window, or none when it or a control
// cannot be created (the partial window is destroyed then).
HWND buildWizardWindow(const std::string& titleText);

// Gives the controls their first texts, states and pictures (reads the rest
// of the configuration through ReadInstallerConfig); run once after buildWizardWindow.
void fillWizard();

// Streams a file into a rich edit control, as rich text for ".rtf", else as
// plain text; an unopenable file leaves the editor unchanged.
void loadTextIntoEditor(HWND editor, const std::string& path);

// The text of a control ("" for none).
std::string controlText(int id);

// Shows or hides a control.
void showControl(int id, bool visible);

// Enables or disables a control.
void enableControl(int id, bool enabled);

// Frees image 2 and image 1 when loaded (the wizard is ending).
void freeWizardImages();

// Destroys the wizard window (its controls with it); the fonts stay.
void closeWizardWindow();
