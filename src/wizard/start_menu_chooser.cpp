#include "wizard/start_menu_chooser.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::string withBackslash(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

// The sort key of one character: letters as lower case, and '\' below
// everything else so that a parent's sub-folders come before its siblings
// whose names merely continue with a blank, a digit or a dot.
int sortKey(char c) {
    if (c == '\\') return -1;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
    return static_cast<unsigned char>(c);
}

// Depth first: a folder's sub-folders go into the list before the folder itself.
void scanFolder(const std::string& folder, const std::string& base, const SubFolderLister& listSubFolders,
                std::vector<std::string>& folders, std::unordered_set<std::string>& listed) {
    const std::string parent = withBackslash(folder);
    for (const std::string& name : listSubFolders(parent)) {
        if (name.empty() || name == "." || name == "..") continue;
        const std::string full = parent + name;
        scanFolder(full, base, listSubFolders, folders, listed);
        std::string relative = removeEvery(full, base);
        if (listed.insert(relative).second) folders.push_back(std::move(relative));
    }
}

}  // namespace

std::string removeEvery(const std::string& text, const std::string& part) {
    if (part.empty()) return text;
    std::string result;
    size_t from = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, from)) {
        result.append(text, from, at - from);
        from = at + part.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

bool startMenuFolderLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return sortKey(x) < sortKey(y); });
}

std::vector<std::string> collectStartMenuFolders(const std::string& base, const SubFolderLister& listSubFolders) {
    std::vector<std::string> folders;
    // An unknown Programs folder would otherwise make the scan start at the
    // root of the current drive.
    if (base.empty()) return folders;
    std::unordered_set<std::string> listed;
    const std::string baseText = withBackslash(base);
    scanFolder(baseText, baseText, listSubFolders, folders, listed);
    // Stable, so names equal but for case keep the order the scan found them in.
    std::stable_sort(folders.begin(), folders.end(), startMenuFolderLess);
    return folders;
}

std::vector<StartMenuTreeItem> startMenuTreeItems(const std::vector<std::string>& folders) {
    std::vector<StartMenuTreeItem> items;
    items.reserve(folders.size());
    for (const std::string& folder : folders) {
        const size_t lastSeparator = folder.rfind('\\');
        StartMenuTreeItem item;
        item.text = lastSeparator == std::string::npos ? folder : folder.substr(lastSeparator + 1);
        item.depth = static_cast<int>(std::count(folder.begin(), folder.end(), '\\'));
        items.push_back(std::move(item));
    }
    return items;
}

int findTreeItem(const std::vector<StartMenuTreeItem>& items, const std::string& path) {
    // A trailing '\' gives an empty last field, which no item matches.
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', from)) {
        fields.push_back(path.substr(from, at - from));
        from = at + 1;
    }
    fields.push_back(path.substr(from));

    int result = -1;
    int depth = 0;
    size_t field = 0;
    for (size_t i = 0; i < items.size() && field < fields.size(); ++i) {
        const StartMenuTreeItem& item = items[i];
        if (item.depth > depth) continue;  // inside a folder that is not on the path
        if (item.depth < depth) break;     // past the last sub-folder of the folder found
        if (item.text == fields[field]) {
            result = static_cast<int>(i);
            ++field;
            ++depth;
        }
    }
    return result;
}

std::string selectedTreePath(const std::vector<StartMenuTreeItem>& items, int selected) {
    if (selected < 0 || static_cast<size_t>(selected) >= items.size()) return std::string();
    std::string path = items[size_t(selected)].text;
    int depth = items[size_t(selected)].depth;
    for (int i = selected - 1; i >= 0 && depth > 0; --i) {
        if (items[size_t(i)].depth < depth) {
            path = items[size_t(i)].text + '\\' + path;
            depth = items[size_t(i)].depth;
        }
    }
    return path;
}
