#include "wizard/start_menu_chooser_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "system/folders_win32.h"
#include "wizard/language_win32.h"
#include "wizard/window_frame_win32.h"

namespace {

// What one showing of the chooser works on; the window keeps a pointer to it.
struct ChooserState {
    std::vector<StartMenuTreeItem> items;  // FolderTree's items in the order it shows them
    std::string programsFolder;            // the Programs folder the tree was filled from
    std::string result;                    // what the chooser returns; "" until Apply finds a folder
    bool done = false;                     // ends the chooser's message loop
};

std::vector<std::string> listSubFolders(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The Programs folder of the scope the option buttons show.
std::string selectedProgramsFolder(HWND window) {
    const bool allUsers = IsDlgButtonChecked(window, AllUsersOption) == BST_CHECKED;
    return specialFolder(allUsers ? FolderCommonPrograms : FolderPrograms);
}

// Collects the folders of the selected scope and puts them into FolderTree,
// each under the closest preceding item one level up. Selects nothing.
void fillTree(HWND window, ChooserState& state) {
    HWND tree = GetDlgItem(window, FolderTree);
    state.programsFolder = selectedProgramsFolder(window);
    state.items = startMenuTreeItems(collectStartMenuFolders(state.programsFolder, listSubFolders));

    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    // The last item inserted at each depth so far: the parents of what follows.
    std::vector<std::pair<int, HTREEITEM>> parents;
    for (size_t i = 0; i < state.items.size(); ++i) {
        const StartMenuTreeItem& item = state.items[i];
        while (!parents.empty() && parents.back().first >= item.depth) parents.pop_back();
        TVINSERTSTRUCTA insert = {};
        insert.hParent = parents.empty() ? TVI_ROOT : parents.back().second;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(item.text.c_str());
        // The item's index in state.items, so the tree walks can work on that list.
        insert.item.lParam = static_cast<LPARAM>(i);
        HTREEITEM added =
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (added) parents.emplace_back(item.depth, added);
    }
    // A tree that gains the focus with nothing selected selects its first
    // item by itself; the program's own choice is none.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

// The item at `index` of state.items as the tree holds it, or null.
HTREEITEM treeItemAt(HWND tree, int index) {
    // Walks the tree in the order it shows its items, which is list order.
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (item) {
        TVITEMA data = {};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        if (SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)) && data.lParam == index) return item;
        HTREEITEM next = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        while (!next && item) {
            next = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
            if (!next)
                item = reinterpret_cast<HTREEITEM>(
                    SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
        }
        item = next;
    }
    return nullptr;
}

// The index in state.items of the selected item, or -1.
int selectedIndex(HWND tree) {
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!selected) return -1;
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = selected;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return -1;
    return static_cast<int>(data.lParam);
}

void apply(HWND window, ChooserState& state) {
    const std::string path = selectedTreePath(state.items, selectedIndex(GetDlgItem(window, FolderTree)));
    if (path.empty()) {
        const std::string title = " " + text(Requester_RQ1_Titel);
        MessageBoxA(window, text(Requester_RQ1_Msg).c_str(), title.c_str(), MB_ICONERROR | MB_OK);
        state.result.clear();
    } else {
        state.result = path + "|" + state.programsFolder;
    }
    state.done = true;
}

LRESULT CALLBACK startMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE:
        // Closing chooses nothing. The loop destroys the window.
        if (state) {
            state->result.clear();
            state->done = true;
        }
        return 0;
    case WM_COMMAND:
        if (!state || state->done) return 0;
        // IDOK and IDCANCEL are what the dialog keys send for Enter and Escape.
        if (LOWORD(wParam) == IDCANCEL) {
            state->result.clear();
            state->done = true;
        } else if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case FolderApplyButton:
            case IDOK: apply(window, *state); break;
            case CurrentUserOption:
            case AllUsersOption: fillTree(window, *state); break;
            }
        }
        return 0;
    case WM_DESTROY:
        if (state) state->done = true;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}


HWND createControl(HWND parent, DWORD exStyle, const char* className, const std::string& title, DWORD style, int x,
                   int y, int width, int height, int id, HINSTANCE instance) {
    HWND control = CreateWindowExA(exStyle, className, title.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                                   height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

// Where a window of this size goes: centred over the wizard, kept on the
// wizard's monitor; centred on the screen without a wizard.
POINT chooserPosition(HWND wizard, int width, int height) {
    if (!wizard) return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
    RECT over;
    GetWindowRect(wizard, &over);
    POINT place = {over.left + (over.right - over.left - width) / 2, over.top + (over.bottom - over.top - height) / 2};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(wizard, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        if (place.x + width > work.right) place.x = work.right - width;
        if (place.y + height > work.bottom) place.y = work.bottom - height;
        if (place.x < work.left) place.x = work.left;
        if (place.y < work.top) place.y = work.top;
    }
    return place;
}

}  // namespace

std::string showStartMenuChooser(HWND wizard, const std::string& startMenuFieldText) {
    INITCOMMONCONTROLSEX commonControls = {sizeof commonControls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&commonControls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registerDialogClass(instance, startMenuWindowClass, startMenuWindowProc)) return std::string();

    ChooserState state;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, 250, 350};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const POINT place = chooserPosition(wizard, width, height);

    // Owned by the wizard, so it stays above it; hidden until its controls exist.
    const std::string title = " " + text(Requester_RQ3_Titel);
    HWND window = CreateWindowExA(0, startMenuWindowClass, title.c_str(), style, place.x, place.y, width, height,
                                  wizard, nullptr, instance, &state);
    if (!window) return std::string();

    HWND applyButton = createControl(window, 0, "BUTTON", text(Buttons_Apply), WS_TABSTOP | BS_PUSHBUTTON, 85, 319,
                                     80, 22, FolderApplyButton, instance);
    HWND tree = createControl(window, WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                              WS_TABSTOP | WS_GROUP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 10, 10, 230,
                              280, FolderTree, instance);
    // WS_GROUP on the first option only: the two options form one group.
    HWND currentUser = createControl(window, 0, "BUTTON", text(Requester_RQ3_User),
                                     WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 10, 295, 115, 15, CurrentUserOption,
                                     instance);
    HWND allUsers = createControl(window, 0, "BUTTON", text(Requester_RQ3_AllUsers), BS_AUTORADIOBUTTON, 125, 295,
                                  115, 15, AllUsersOption, instance);
    if (!applyButton || !tree || !currentUser || !allUsers) {
        DestroyWindow(window);
        return std::string();
    }

    // The wizard takes no input while the chooser is open.
    if (wizard) EnableWindow(wizard, FALSE);

    CheckRadioButton(window, CurrentUserOption, AllUsersOption, CurrentUserOption);
    fillTree(window, state);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(tree);
    // Selecting after the focus, as gaining it may have selected the first item.
    const int preselected = findTreeItem(state.items, startMenuFieldText);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(preselected >= 0 ? treeItemAt(tree, preselected) : nullptr));

    runDialogLoop(window, state.done);
    // Enabled before the chooser goes, so that the wizard becomes the active window again.
    if (wizard) EnableWindow(wizard, TRUE);
    if (IsWindow(window)) DestroyWindow(window);
    return state.done ? state.result : std::string();
}
