#include "system/folders.h"

#include <algorithm>

namespace {

struct PathVariable {
    const char* name;  // matched case-sensitively
    int32_t code;      // folder that replaces it
};

// Replaced in this order: a folder inserted by an earlier variable may itself
// hold a later variable's name, and publishers' files rely on the order.
const PathVariable pathVariables[] = {
    {"%ProgramFiles%", FolderProgramFiles},
    {"%Windows%", FolderWindows},
    {"%System%", FolderSystem},
    {"%CommonFiles%", FolderCommonFiles},
    {"%AppData%", FolderAppData},
    {"%StartUp%", FolderStartup},
    {"%QuickLaunch%", FolderQuickLaunch},
    {"%MyDocuments%", FolderPersonal},
    {"%PureBasic%", FolderPureBasic},
    {"%Fonts%", FolderFonts},
    {"%Emergency%", FolderEmergenceBasic},
    {"%Aurora%", FolderAurora},
};

// Every occurrence, left to right; the inserted text is not searched again.
std::string replaceAll(const std::string& text, std::string_view name, const std::string& value) {
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, from)) {
        out.append(text, from, at - from);
        out += value;
        from = at + name.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

bool isDrivePath(const std::string& text) {
    return text.size() >= 3 && text[1] == ':' && text[2] == '\\';
}

}  // namespace

std::string addBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + '\\';
}

std::string asFolder(const std::string& path) {
    return path.empty() ? path : addBackslash(path);
}

std::string expandPath(const std::string& text, bool relativeToProgramFiles, const FolderLookup& folder) {
    if (isDrivePath(text)) return text;
    const auto percents = std::count(text.begin(), text.end(), '%');
    if (percents < 2 && relativeToProgramFiles) return folder(FolderProgramFiles) + text;

    std::string result = text;
    for (const PathVariable& variable : pathVariables) {
        // Every folder is asked for, whether the variable occurs or not.
        result = replaceAll(result, variable.name, folder(variable.code));
    }
    return result;
}

std::string registryValueText(std::string_view bytes) {
    // A string value normally carries its NUL within the returned size; one
    // stored without it keeps its last character.
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::string pureBasicFolderOf(const std::string& command) {
    std::string text = command;
    // The command's argument "%1" may hold separators of its own.
    const size_t argument = text.find("%1");
    if (argument != std::string::npos) text.resize(argument + 1);
    if (!text.empty() && text.front() == '"') text.erase(0, 1);

    const size_t bar = text.find('|');
    const std::string_view head = std::string_view(text).substr(0, bar);
    const size_t separator = head.find_last_of("\\/");
    if (separator == std::string_view::npos) return std::string();
    return std::string(head.substr(0, separator + 1));
}

std::string quickLaunchFolderOf(const std::string& appData) {
    return appData + "Microsoft\\Internet Explorer\\Quick Launch\\";
}

std::string productFolderOf(const std::string& binValue, const std::string& programFiles,
                            const std::string& fallbackSuffix) {
    if (!binValue.empty()) return binValue.substr(0, binValue.size() - std::min<size_t>(3, binValue.size()));
    std::string base = programFiles;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    return base + fallbackSuffix;
}
