// Drives a window's controls with window messages from the test, the way a
// user would: find a control by its number, click, type, leave a field, and
// read back text, visibility and enabled state.
#pragma once

#include <windows.h>

#include <string>

#include "win32_test_support.h"

struct ControlSearch {
    int id;      // the control number looked for
    HWND found;  // the control, once found
};

inline BOOL CALLBACK matchControlId(HWND child, LPARAM search) {
    auto* s = reinterpret_cast<ControlSearch*>(search);
    if (GetDlgCtrlID(child) != s->id) return TRUE;
    s->found = child;
    return FALSE;
}

// The control with number `id` anywhere below `window` (inside containers too).
inline HWND findControl(HWND window, int id) {
    ControlSearch search = {id, nullptr};
    EnumChildWindows(window, matchControlId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A click on a button, option or check box, handled before this returns.
inline void clickControl(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }

// Replaces a field's text as typing would.
inline void typeInto(HWND field, const std::string& text) { SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

// Gives `field` the focus and then takes it away to `next`, so the field reports focus lost.
inline void leaveField(HWND field, HWND next) {
    SetFocus(field);
    SetFocus(next);
}

inline std::string readText(HWND control) {
    std::string buffer(size_t(GetWindowTextLengthA(control)) + 1, '\0');
    buffer.resize(size_t(GetWindowTextA(control, buffer.data(), int(buffer.size()))));
    return buffer;
}

// Visible on the screen: the control and every container above it are shown.
inline bool isShown(HWND control) { return control && IsWindowVisible(control); }

inline bool isEnabled(HWND control) { return control && IsWindowEnabled(control); }

inline bool isTicked(HWND control) { return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

