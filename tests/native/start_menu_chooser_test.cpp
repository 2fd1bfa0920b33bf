// The start-menu chooser's rules: the folder scan over a made-up folder tree,
// the tree items, and the two walks that select a folder and read one back.
#include "wizard/start_menu_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// A folder tree given as paths below `base`, in the order the system lists
// them. Hands out the sub-folder names of a folder, with "." and ".." first
// as the system does, and records every folder it was asked about.
struct FakeFolderTree {
    std::string base;      // the Programs folder the paths are below, as the scan gets it
    Strings folders;       // relative paths, '\' between names
    Strings asked;         // the folders the scan read, as it named them

    SubFolderLister lister() {
        return [this](const std::string& folder) {
            asked.push_back(folder);
            Strings names = {".", ".."};
            std::string root = base;
            if (root.empty() || root.back() != '\\') root += '\\';
            if (folder.compare(0, root.size(), root) != 0) return names;
            std::string relative = folder.substr(root.size());
            if (!relative.empty() && relative.back() == '\\') relative.pop_back();
            for (const std::string& path : folders) {
                const size_t cut = path.rfind('\\');
                const std::string parent = cut == std::string::npos ? "" : path.substr(0, cut);
                if (parent == relative) names.push_back(cut == std::string::npos ? path : path.substr(cut + 1));
            }
            return names;
        };
    }
};

struct ScanCase {
    const char* name;
    const char* base;
    Strings folders;   // as the system lists them
    Strings expected;  // the chooser's folder list
};

TEST(StartMenuFolders, ScanTable) {
    const ScanCase cases[] = {
        {"nested folders to any depth, each after its parent",
         "C:\\Menu\\",
         {"Games", "Games\\Cards", "Games\\Cards\\Old", "Accessories", "Accessories\\System Tools"},
         {"Accessories", "Accessories\\System Tools", "Games", "Games\\Cards", "Games\\Cards\\Old"}},
        {"sorted as lower case letters",
         "C:\\Menu\\",
         {"beta", "Delta", "Alpha", "gamma", "aB", "a_b"},
         // Compared as they stand, "aB" would come before "a_b" and "Delta" before "beta".
         {"a_b", "aB", "Alpha", "beta", "Delta", "gamma"}},
        {"names equal but for case are both kept, in the order found",
         "C:\\Menu\\",
         {"tools", "Tools"},
         {"tools", "Tools"}},
        {"sub-folders come directly after their folder",
         "C:\\Menu\\",
         {"Games 2", "Games.old", "Games", "Games\\Cards", "Games-1"},
         {"Games", "Games\\Cards", "Games 2", "Games-1", "Games.old"}},
        {"a base without its final backslash gets one",
         "C:\\Menu",
         {"Games", "Games\\Cards"},
         {"Games", "Games\\Cards"}},
        {"every occurrence of the base text is removed",
         "M\\",
         {"Sub", "Sub\\M", "Sub\\M\\Deep"},
         // M\Sub\M\Deep loses both M\ and reads Sub\Deep.
         {"Sub", "Sub\\Deep", "Sub\\M"}},
        {"the base text is matched case-sensitively",
         "M\\",
         {"m", "m\\X"},
         {"m", "m\\X"}},
        {"a path that reappears after the removal is listed once",
         "M\\",
         {"A", "M", "M\\A"},
         // M\M\A loses both M\ and equals the folder A.
         {"A", "M"}},
        {"no folders", "C:\\Menu\\", {}, {}},
    };
    for (const ScanCase& c : cases) {
        FakeFolderTree tree{c.base, c.folders, {}};
        EXPECT_EQ(collectStartMenuFolders(c.base, tree.lister()), c.expected) << c.name;
        for (const std::string& folder : tree.asked)
            EXPECT_EQ(folder.back(), '\\') << c.name << ": read without a final backslash: " << folder;
        EXPECT_EQ(tree.asked.size(), c.folders.size() + 1) << c.name << ": the base and every folder read once";
    }
}

TEST(StartMenuFolders, UnknownProgramsFolderGivesNoFolders) {
    FakeFolderTree tree{"", {"Windows", "Windows\\System32"}, {}};
    EXPECT_TRUE(collectStartMenuFolders("", tree.lister()).empty());
    EXPECT_TRUE(tree.asked.empty()) << "an unknown folder must not make the scan read the drive's root";
}

TEST(StartMenuFolders, RemoveEvery) {
    EXPECT_EQ(removeEvery("C:\\P\\A\\C:\\P\\B", "C:\\P\\"), "A\\B");
    EXPECT_EQ(removeEvery("aaa", "aa"), "a") << "occurrences do not overlap";
    EXPECT_EQ(removeEvery("Games", ""), "Games");
    EXPECT_EQ(removeEvery("c:\\p\\A", "C:\\P\\"), "c:\\p\\A");
}

TEST(StartMenuTree, ItemsAndDepths) {
    const std::vector<StartMenuTreeItem> items =
        startMenuTreeItems({"Accessories", "Accessories\\Games", "Accessories\\Games\\Cards", "Tools"});
    ASSERT_EQ(items.size(), 4u);
    const std::pair<const char*, int> expected[] = {{"Accessories", 0}, {"Games", 1}, {"Cards", 2}, {"Tools", 0}};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, expected[i].first) << i;
        EXPECT_EQ(items[i].depth, expected[i].second) << i;
    }
}

// The tree of the walks' cases:
//   0 Accessories       4 Games
//   1   Games           5 Tools
//   2     Cards         6   Games
//   3   System Tools    7   Paint
const std::vector<StartMenuTreeItem> kTree = startMenuTreeItems(
    {"Accessories", "Accessories\\Games", "Accessories\\Games\\Cards", "Accessories\\System Tools", "Games", "Tools",
     "Tools\\Games", "Tools\\Paint"});

TEST(StartMenuTree, FindTreeItemTable) {
    const std::pair<const char*, int> cases[] = {
        {"Accessories\\Games\\", 1},
        {"Accessories\\Games", 1},
        {"Accessories\\Games\\Cards\\Old\\", 2},  // deepest folder the tree holds
        {"Accessories\\System Tools", 3},         // passes over Games and its Cards
        {"Accessories\\", 0},
        {"Accessories", 0},
        {"Accessories\\Paint\\", 0},  // not the Paint under Tools
        {"Accessories\\Cards", 0},    // Cards is not directly under Accessories
        {"Games\\", 4},               // the top-level Games, not the one under Accessories
        {"Tools\\Games", 6},
        {"Tools\\Paint\\", 7},
        {"Nothing\\Games\\", -1},
        {"Paint", -1},
        {"accessories\\Games", -1},  // case-sensitive
        {"\\Accessories", -1},
        {"", -1},
    };
    for (const auto& [path, index] : cases) EXPECT_EQ(findTreeItem(kTree, path), index) << path;
    EXPECT_EQ(findTreeItem({}, "Accessories"), -1);
}

TEST(StartMenuTree, SelectedTreePathTable) {
    const std::pair<int, const char*> cases[] = {
        {0, "Accessories"}, {1, "Accessories\\Games"}, {2, "Accessories\\Games\\Cards"},
        {3, "Accessories\\System Tools"}, {4, "Games"}, {5, "Tools"}, {6, "Tools\\Games"}, {7, "Tools\\Paint"},
        {-1, ""},  // nothing selected
        {8, ""},   // no such item
    };
    for (const auto& [selected, path] : cases) EXPECT_EQ(selectedTreePath(kTree, selected), path) << selected;
}

// What the user sees is what the setup gets: every folder a scan found reads
// back as its own path and is found again by it.
TEST(StartMenuTree, ScannedFoldersReadBackAsTheirPaths) {
    FakeFolderTree tree{"C:\\Menu\\",
                        {"Games 2", "Games", "Games\\Cards", "Games\\Cards 2", "Games\\Cards\\Old", "Tools",
                         "Tools\\Games"},
                        {}};
    const Strings folders = collectStartMenuFolders(tree.base, tree.lister());
    const std::vector<StartMenuTreeItem> items = startMenuTreeItems(folders);
    ASSERT_EQ(items.size(), folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(selectedTreePath(items, int(i)), folders[i]);
        EXPECT_EQ(findTreeItem(items, folders[i] + "\\"), int(i)) << folders[i];
    }
}

}  // namespace
