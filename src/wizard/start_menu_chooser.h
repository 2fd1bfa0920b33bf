// The rules of the start-menu folder chooser, free of any system call: the
// folder list of one Programs folder, the tree items made from it, and the two
// walks over those items that select a folder and turn the selection back into
// a path. The folder scan asks a handed-in lister for the sub-folders, so the
// same rules run in Install.exe and in the native tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The names of the entries of `folder` (a full path ending in '\') that are
// folders, in the order the system lists them; "." and ".." may be among them.
using SubFolderLister = std::function<std::vector<std::string>(const std::string& folder)>;

// One line of FolderTree: what it shows and how far it is indented.
struct StartMenuTreeItem {
    std::string text;  // the folder's own name (the last part of its relative path)
    int depth = 0;     // 0 for a folder directly in the Programs folder, +1 per level below
};

// Every occurrence of `part` (case-sensitive) taken out of `text`; an empty
// `part` takes out nothing.
std::string removeEvery(const std::string& text, const std::string& part);

// Case-blind order of the folder list: letters compare as lower case, and the
// '\' between folder names before any other character, so a folder's
// sub-folders follow it directly (Games, Games\Cards, Games 2).
bool startMenuFolderLess(const std::string& a, const std::string& b);

// The folders below `base` (a Programs folder) to any depth, each as its path
// relative to `base` without leading or trailing '\', once each, sorted by
// startMenuFolderLess. An unknown folder ("") gives an empty list.
std::vector<std::string> collectStartMenuFolders(const std::string& base, const SubFolderLister& listSubFolders);

// The tree items of a folder list, in list order.
std::vector<StartMenuTreeItem> startMenuTreeItems(const std::vector<std::string>& folders);

// The index of the item of the deepest folder of `path` (split at '\') that the
// items hold along that path, or -1 when they do not hold its first folder.
int findTreeItem(const std::vector<StartMenuTreeItem>& items, const std::string& path);

// The relative path of the item at `selected` with its parent folders, joined
// by '\'; "" when `selected` is no item (-1 for no selection).
std::string selectedTreePath(const std::vector<StartMenuTreeItem>& items, int selected);
