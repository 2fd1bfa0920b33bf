#include "wizard/language_win32.h"

#include <windows.h>

#include <vector>

#include "setup/startup_win32.h"
#include "system/files_win32.h"
#include "wizard/window_frame_win32.h"

StringTable Strings;
uint16_t LanguageNumber = 0;

namespace {

const char languageWindowClass[] = "LanguageWindow";

// What one showing of the chooser works on; the window keeps a pointer to it.
struct ChooserState {
    std::vector<LanguageEntry> entries;  // the offered entries, in list order
    std::string result;                  // the chosen file name; "" until OK is taken
    bool done = false;                   // ends the chooser's message loop
};

void takeSelection(HWND window, ChooserState& state) {
    const LRESULT index = SendDlgItemMessageA(window, LanguageCombo, CB_GETCURSEL, 0, 0);
    if (index < 0 || size_t(index) >= state.entries.size()) return;  // nothing selected: OK does nothing
    state.result = state.entries[size_t(index)].fileName;
    state.done = true;
}

LRESULT CALLBACK languageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE:
        // Closing is a choice too: no language file. The loop destroys the window.
        if (state) state->done = true;
        return 0;
    case WM_COMMAND:
        // IDOK is what the dialog keys send for Enter.
        if (state && HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == LanguageOkButton || LOWORD(wParam) == IDOK))
            takeSelection(window, *state);
        return 0;
    case WM_DESTROY:
        if (state) state->done = true;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}


HWND createControl(HWND parent, const char* className, const char* title, DWORD style, int x, int y, int width,
                   int height, int id, HINSTANCE instance) {
    HWND control = CreateWindowExA(0, className, title, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, width,
                                   height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

}  // namespace

std::string showLanguageChooser(const std::string& list) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registerDialogClass(instance, languageWindowClass, languageWindowProc)) return std::string();

    ChooserState state;
    state.entries = languageEntries(list);

    // A caption bar without system menu, so there is no close box either.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION;
    const RECT frame = centredWindowFrame(140, 55, style);

    // Hidden until its controls exist, so it never shows half built.
    HWND window = CreateWindowExA(0, languageWindowClass, languageWindowTitle, style, frame.left, frame.top,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, instance, &state);
    if (!window) return std::string();

    // The height of a drop-down list is its height when dropped down.
    HWND combo = createControl(window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 5, 5, 130, 200, LanguageCombo,
                               instance);
    HWND okButton = createControl(window, "BUTTON", "OK", BS_PUSHBUTTON, 40, 32, 60, 18, LanguageOkButton, instance);
    if (!combo || !okButton) {
        DestroyWindow(window);
        return std::string();
    }
    // The new font changed the field's height; sizing again makes the list
    // end where it was meant to, 200 below the field's top.
    MoveWindow(combo, 5, 5, 130, 200, FALSE);
    for (const LanguageEntry& entry : state.entries)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(chooserItemText(entry).c_str()));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(combo);

    runDialogLoop(window, state.done);
    if (IsWindow(window)) DestroyWindow(window);
    return state.result;
}

std::string chooseLanguageFile(const std::string& list) {
    return chooseLanguageFile(list, GetUserDefaultLangID(), showLanguageChooser, LanguageNumber);
}

void loadLanguageFile(const std::string& path, const std::string& titel, const std::string& version) {
    loadLanguageFile(Strings, Settings, windowsFileSystem(), path, titel, version);
}
