// The start-menu folder chooser through the real system: folders made below
// the prefix's own Programs folders, the window driven from a second thread
// while the chooser's message loop runs on the test's thread.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "system/folders_win32.h"
#include "wizard/language_win32.h"
#include "wizard/start_menu_chooser_win32.h"
#include "win32_test_support.h"

namespace {

using TreeLines = std::vector<std::pair<std::string, int>>;  // (text, depth) as the tree shows them

const std::string pid = std::to_string(GetCurrentProcessId());
// Unique top folders, so the prefix's own start-menu folders cannot get in the way.
const std::string userRoot = "QbSmc-" + pid + "-User";
const std::string allRoot = "QbSmc-" + pid + "-All";

const char errorTitle[] = " Kein Ordner";

// Polls `ready` every 50 ms for at most `seconds`.
bool waitFor(const std::function<bool()>& ready, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        if (ready()) return true;
        Sleep(50);
    }
    return ready();
}

HWND visibleChooser() {
    HWND window = FindWindowA(startMenuWindowClass, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

HWND errorBox() { return FindWindowA("#32770", errorTitle); }

HTREEITEM nextItem(HWND tree, UINT how, HTREEITEM from) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
}

std::string itemText(HWND tree, HTREEITEM item) {
    char buffer[MAX_PATH] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = buffer;
    data.cchTextMax = sizeof buffer;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return buffer;
}

// Every item of the tree in the order it shows them, with its level.
void collectLines(HWND tree, HTREEITEM first, int depth, TreeLines& lines) {
    for (HTREEITEM item = first; item; item = nextItem(tree, TVGN_NEXT, item)) {
        lines.emplace_back(itemText(tree, item), depth);
        collectLines(tree, nextItem(tree, TVGN_CHILD, item), depth + 1, lines);
    }
}

TreeLines treeLines(HWND tree) {
    TreeLines lines;
    collectLines(tree, nextItem(tree, TVGN_ROOT, nullptr), 0, lines);
    return lines;
}

// The lines of the top-level folder `root` and everything below it; none when
// the tree does not hold it.
TreeLines subtree(const TreeLines& lines, const std::string& root) {
    TreeLines part;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].second != 0 || lines[i].first != root) continue;
        part.push_back(lines[i]);
        for (size_t j = i + 1; j < lines.size() && lines[j].second > 0; ++j) part.push_back(lines[j]);
    }
    return part;
}

// The selected item's path as the tree shows it (each name under its parent), or "".
std::string selectedPath(HWND tree) {
    std::string path;
    for (HTREEITEM item = nextItem(tree, TVGN_CARET, nullptr); item; item = nextItem(tree, TVGN_PARENT, item))
        path = itemText(tree, item) + (path.empty() ? "" : "\\" + path);
    return path;
}

// Selects the item of `path` (names joined by '\') as a click on it would.
bool selectPath(HWND tree, const std::string& path) {
    HTREEITEM item = nextItem(tree, TVGN_ROOT, nullptr);
    HTREEITEM found = nullptr;
    size_t from = 0;
    while (item && from <= path.size()) {
        const size_t cut = std::min(path.find('\\', from), path.size());
        const std::string name = path.substr(from, cut - from);
        while (item && itemText(tree, item) != name) item = nextItem(tree, TVGN_NEXT, item);
        if (!item) return false;
        found = item;
        from = cut + 1;
        item = nextItem(tree, TVGN_CHILD, item);
    }
    return found && SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
}

// A plain top-level window standing in for the wizard.
HWND createOwner() {
    const char ownerClass[] = "QbSmcOwner";
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ownerClass;
    RegisterClassExA(&windowClass);
    HWND owner = CreateWindowExA(0, ownerClass, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 420, 440, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(owner, nullptr);
    return owner;
}

// Runs showStartMenuChooser here while `drive` works on its window from
// another thread. A chooser or error box still open once `drive` is done and
// a few seconds have passed fails the test and is closed, so nothing hangs.
std::string runChooser(HWND owner, const std::string& fieldText, const std::function<void(HWND)>& drive) {
    std::thread driver([&] {
        HWND window = nullptr;
        EXPECT_TRUE(waitFor([&] { return (window = visibleChooser()) != nullptr; }, 20)) << "the chooser did not appear";
        if (window) drive(window);
        if (!waitFor([] { return !FindWindowA(startMenuWindowClass, nullptr) && !errorBox(); }, 10)) {
            ADD_FAILURE() << "a window was left open";
            if (HWND box = errorBox()) PostMessageA(box, WM_COMMAND, IDOK, 0);
            if (HWND left = FindWindowA(startMenuWindowClass, nullptr)) PostMessageA(left, WM_CLOSE, 0, 0);
        }
    });
    const std::string result = showStartMenuChooser(owner, fieldText);
    driver.join();
    return result;
}

class StartMenuChooser : public testing::Test {
protected:
    void SetUp() override {
        // Texts of our own, so the test sees that the window takes them from the string table.
        ScratchFolder folder;
        writeFile(folder.path() + "Test.lng",
                  "[Requester]\r\nRQ1_Titel = Kein Ordner\r\nRQ1_Msg = Bitte einen Ordner waehlen.\r\n"
                  "RQ3_Titel = Ordner waehlen\r\nRQ3_User = Nur ich\r\nRQ3_AllUsers = Alle\r\n"
                  "[Buttons]\r\nApply = Nehmen\r\n");
        loadLanguageFile(folder.path() + "Test.lng", "Tool", "1.0");

        programs = specialFolder(FolderPrograms);
        commonPrograms = specialFolder(FolderCommonPrograms);
        ASSERT_FALSE(programs.empty());
        ASSERT_FALSE(commonPrograms.empty());
        ASSERT_NE(programs, commonPrograms);
        for (const char* sub : {"", "\\beta", "\\Games", "\\Games\\Cards", "\\Games\\Cards\\Old", "\\Games 2", "\\alpha"})
            ASSERT_TRUE(createPath(programs + userRoot + sub + "\\")) << sub;
        // A file is no folder and stays out of the tree.
        writeFile(programs + userRoot + "\\Games\\Readme.lnk", "x");
        ASSERT_TRUE(createPath(commonPrograms + allRoot + "\\Tools\\"));
        owner = createOwner();
    }

    void TearDown() override {
        if (owner) DestroyWindow(owner);
        ScratchFolder::removeTree(programs + userRoot + "\\");
        ScratchFolder::removeTree(commonPrograms + allRoot + "\\");
        EXPECT_FALSE(folderExists(programs + userRoot));
        EXPECT_FALSE(folderExists(commonPrograms + allRoot));
    }

    std::string programs;        // the current user's Programs folder
    std::string commonPrograms;  // the all users' Programs folder
    HWND owner = nullptr;        // stands in for the wizard
};

// The user's tree as the test made it: sorted ignoring case, sub-folders
// directly under their folder ("Games 2" after the whole of "Games").
TreeLines userTree() {
    return {{userRoot, 0}, {"alpha", 1}, {"beta", 1}, {"Games", 1}, {"Cards", 2}, {"Old", 3}, {"Games 2", 1}};
}

TEST_F(StartMenuChooser, WindowControlsAndTree) {
    const std::string result = runChooser(owner, userRoot + "\\Games\\Cards\\", [&](HWND window) {
        EXPECT_EQ(className(window), "StartMenuWindow");
        EXPECT_EQ(windowText(window), " Ordner waehlen");
        EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the wizard takes no input while the chooser is open";

        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right - client.left, 250);
        EXPECT_EQ(client.bottom - client.top, 350);
        const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_EQ(style & WS_SYSMENU, WS_SYSMENU) << "system menu and close box";
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD), 0);

        RECT frame, over;
        GetWindowRect(window, &frame);
        GetWindowRect(owner, &over);
        EXPECT_NEAR(frame.left + frame.right, over.left + over.right, 1) << "centred over the wizard across";
        EXPECT_NEAR(frame.top + frame.bottom, over.top + over.bottom, 1) << "centred over the wizard down";

        struct Control {
            int id;
            const char* className;
            const char* text;
            RECT place;  // left, top, right, bottom
        };
        const Control controls[] = {
            {FolderApplyButton, "Button", "Nehmen", {85, 319, 165, 341}},
            {FolderTree, WC_TREEVIEWA, "", {10, 10, 240, 290}},
            {CurrentUserOption, "Button", "Nur ich", {10, 295, 125, 310}},
            {AllUsersOption, "Button", "Alle", {125, 295, 240, 310}},
        };
        const HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
        for (const Control& c : controls) {
            HWND control = GetDlgItem(window, c.id);
            ASSERT_NE(control, nullptr) << c.id;
            EXPECT_EQ(className(control), c.className) << c.id;
            EXPECT_EQ(windowText(control), c.text) << c.id;
            const RECT place = placeOf(control);
            EXPECT_EQ(place.left, c.place.left) << c.id;
            EXPECT_EQ(place.top, c.place.top) << c.id;
            EXPECT_EQ(place.right, c.place.right) << c.id;
            EXPECT_EQ(place.bottom, c.place.bottom) << c.id;
            EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)), guiFont) << c.id;
            EXPECT_TRUE(IsWindowVisible(control)) << c.id;
        }
        HWND apply = GetDlgItem(window, FolderApplyButton);
        HWND tree = GetDlgItem(window, FolderTree);
        HWND currentUser = GetDlgItem(window, CurrentUserOption);
        HWND allUsers = GetDlgItem(window, AllUsersOption);
        EXPECT_EQ(GetWindowLongPtrA(apply, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
        const LONG_PTR treeStyle = GetWindowLongPtrA(tree, GWL_STYLE);
        EXPECT_EQ(treeStyle & (TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT),
                  TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT);
        EXPECT_EQ(GetWindowLongPtrA(tree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE) << "sunken edge";
        for (HWND option : {currentUser, allUsers}) {
            const LONG_PTR kind = GetWindowLongPtrA(option, GWL_STYLE) & BS_TYPEMASK;
            EXPECT_TRUE(kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON) << "an option button";
        }
        // One group: it starts at the first option and the second does not start another.
        EXPECT_TRUE(GetWindowLongPtrA(currentUser, GWL_STYLE) & WS_GROUP);
        EXPECT_FALSE(GetWindowLongPtrA(allUsers, GWL_STYLE) & WS_GROUP);
        EXPECT_EQ(GetNextDlgGroupItem(window, currentUser, FALSE), allUsers);
        EXPECT_EQ(SendMessageA(currentUser, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendMessageA(allUsers, BM_GETCHECK, 0, 0), BST_UNCHECKED);

        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
        EXPECT_EQ(gui.hwndFocus, tree) << "the tree has the keyboard focus";

        const TreeLines lines = treeLines(tree);
        EXPECT_EQ(subtree(lines, userRoot), userTree());
        EXPECT_TRUE(subtree(lines, allRoot).empty()) << "the all-users folders are not in the user's tree";
        EXPECT_EQ(selectedPath(tree), userRoot + "\\Games\\Cards") << "preselected from the field's text";

        Sleep(300);  // let the expanded tree paint
        saveScreenshot(window, "start_menu_chooser");
        // The close box.
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, "") << "closing chooses nothing";
    EXPECT_TRUE(IsWindowEnabled(owner)) << "the wizard takes input again";
    EXPECT_EQ(FindWindowA(startMenuWindowClass, nullptr), nullptr) << "the chooser is gone";
}

TEST_F(StartMenuChooser, PreselectsTheDeepestFolderOfTheFieldText) {
    const std::pair<std::string, std::string> cases[] = {
        {userRoot + "\\Games\\Cards\\", userRoot + "\\Games\\Cards"},
        {userRoot + "\\Games\\Nothing\\", userRoot + "\\Games"},  // no such folder: its parent
        {userRoot + "\\Games", userRoot + "\\Games"},
        {userRoot + "\\Cards\\", userRoot},                       // Cards is not directly below the root
        {userRoot + "\\games\\", userRoot},                       // names compare case-sensitively
        {"QbSmc-" + pid + "-Nothing\\Games\\", ""},               // names no folder: no selection
        {"", ""},
    };
    for (const auto& [field, expected] : cases) {
        runChooser(owner, field, [&](HWND window) {
            EXPECT_EQ(selectedPath(GetDlgItem(window, FolderTree)), expected) << "field text: " << field;
            PostMessageA(window, WM_CLOSE, 0, 0);
        });
    }
}

TEST_F(StartMenuChooser, ApplyGivesTheSelectedFolderAndItsProgramsFolder) {
    // The preselection as it stands.
    EXPECT_EQ(runChooser(owner, userRoot + "\\Games\\Cards\\",
                         [](HWND window) { PostMessageA(GetDlgItem(window, FolderApplyButton), BM_CLICK, 0, 0); }),
              userRoot + "\\Games\\Cards|" + programs);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // The user's own choice, deeper than the preselection.
    EXPECT_EQ(runChooser(owner, userRoot + "\\",
                         [](HWND window) {
                             EXPECT_TRUE(selectPath(GetDlgItem(window, FolderTree), userRoot + "\\Games\\Cards\\Old"));
                             PostMessageA(GetDlgItem(window, FolderApplyButton), BM_CLICK, 0, 0);
                         }),
              userRoot + "\\Games\\Cards\\Old|" + programs);

    // A folder of all users comes with the all-users Programs folder.
    EXPECT_EQ(runChooser(owner, userRoot + "\\",
                         [](HWND window) {
                             SendMessageA(GetDlgItem(window, AllUsersOption), BM_CLICK, 0, 0);
                             EXPECT_TRUE(selectPath(GetDlgItem(window, FolderTree), allRoot + "\\Tools"));
                             PostMessageA(GetDlgItem(window, FolderApplyButton), BM_CLICK, 0, 0);
                         }),
              allRoot + "\\Tools|" + commonPrograms);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(StartMenuChooser, SwitchingScopeRefillsWithoutSelection) {
    const std::string result = runChooser(owner, userRoot + "\\Games\\", [&](HWND window) {
        HWND tree = GetDlgItem(window, FolderTree);
        HWND currentUser = GetDlgItem(window, CurrentUserOption);
        HWND allUsers = GetDlgItem(window, AllUsersOption);
        ASSERT_EQ(selectedPath(tree), userRoot + "\\Games");

        SendMessageA(allUsers, BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageA(allUsers, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendMessageA(currentUser, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        TreeLines lines = treeLines(tree);
        EXPECT_EQ(subtree(lines, allRoot), (TreeLines{{allRoot, 0}, {"Tools", 1}}));
        EXPECT_TRUE(subtree(lines, userRoot).empty()) << "the user's folders are gone";
        EXPECT_EQ(selectedPath(tree), "") << "nothing selected after the switch";

        // Back to the user's scope: the user's folders again, and still no selection.
        EXPECT_TRUE(selectPath(tree, allRoot + "\\Tools"));
        SendMessageA(currentUser, BM_CLICK, 0, 0);
        lines = treeLines(tree);
        EXPECT_EQ(subtree(lines, userRoot), userTree());
        EXPECT_TRUE(subtree(lines, allRoot).empty());
        EXPECT_EQ(selectedPath(tree), "");
        SendMessageA(allUsers, BM_CLICK, 0, 0);

        // Apply with nothing selected: the error message, then the chooser ends.
        PostMessageA(GetDlgItem(window, FolderApplyButton), BM_CLICK, 0, 0);
        HWND box = nullptr;
        ASSERT_TRUE(waitFor([&] { return (box = errorBox()) != nullptr && IsWindowVisible(box); }, 10))
            << "the error message did not appear";
        EXPECT_EQ(GetWindow(box, GW_OWNER), window) << "the message belongs to the chooser";
        std::vector<std::string> texts;
        HICON icon = nullptr;
        std::vector<int> buttons;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (className(child) == "Static") {
                if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
                else if (!windowText(child).empty())
                    texts.push_back(windowText(child));
            } else if (className(child) == "Button" && IsWindowVisible(child)) {
                buttons.push_back(GetDlgCtrlID(child));
            }
        }
        EXPECT_EQ(texts, std::vector<std::string>{"Bitte einen Ordner waehlen."});
        EXPECT_EQ(icon, LoadIconA(nullptr, IDI_ERROR)) << "the error icon";
        EXPECT_EQ(buttons, std::vector<int>{IDOK}) << "an OK button only";
        EXPECT_TRUE(IsWindow(window)) << "the chooser waits for the message";
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, "") << "no folder without a selection";
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(StartMenuChooser, EnterAppliesAndEscapeCloses) {
    EXPECT_EQ(runChooser(owner, userRoot + "\\beta",
                         [](HWND window) {
                             PostMessageA(GetDlgItem(window, FolderTree), WM_KEYDOWN, VK_RETURN, 0);
                         }),
              userRoot + "\\beta|" + programs);
    EXPECT_EQ(runChooser(owner, userRoot + "\\beta",
                         [](HWND window) {
                             PostMessageA(GetDlgItem(window, FolderTree), WM_KEYDOWN, VK_ESCAPE, 0);
                         }),
              "");
}

TEST_F(StartMenuChooser, WithoutWizardCentredOnTheScreen) {
    const std::string result = runChooser(nullptr, "", [](HWND window) {
        EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
        RECT frame;
        GetWindowRect(window, &frame);
        EXPECT_NEAR(frame.left + frame.right, GetSystemMetrics(SM_CXSCREEN), 1);
        EXPECT_NEAR(frame.top + frame.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, "");
}

}  // namespace
