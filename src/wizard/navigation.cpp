#include "wizard/navigation.h"

#include "payload/pack_format.h"
#include "system/folders.h"

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool holds(const std::string& text, const std::string& part) {
    return !part.empty() && text.find(part) != std::string::npos;
}

}  // namespace

std::string completeInstallFolderText(const std::string& fieldText, const std::string& defaultFolderName) {
    if (holds(fieldText, defaultFolderName)) return fieldText;
    return addBackslash(fieldText) + defaultFolderName;
}

std::string browserStartFolder(const std::string& installDirDefault) {
    if (installDirDefault.size() > 3 && installDirDefault.back() == '\\')
        return installDirDefault.substr(0, installDirDefault.size() - 1);
    return installDirDefault;
}

std::string browsedInstallFolderText(const std::string& chosen, const std::string& defaultFolderName) {
    if (chosen.empty()) return "";
    if (endsWith(chosen, defaultFolderName) || endsWith(chosen, defaultFolderName + "\\")) return chosen;
    return addBackslash(chosen) + defaultFolderName;
}

std::string completeStartMenuFieldText(const std::string& fieldText, const std::string& startMenuFolder) {
    if (fieldText.empty()) return startMenuFolder;
    if (holds(fieldText, startMenuFolder)) return fieldText;
    return addBackslash(fieldText) + startMenuFolder;
}

std::string lastFolderName(const std::string& path) {
    std::string trimmed = path;
    if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    const size_t slash = trimmed.rfind('\\');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool chosenStartMenuFolder(const std::string& chooserResult, const std::string& startMenuFolder,
                           StartMenuChoice& choice) {
    const size_t bar = chooserResult.find('|');
    std::string relative = chooserResult.substr(0, bar);
    if (relative.empty()) return false;
    const std::string name = lastFolderName(startMenuFolder);
    if (!endsWith(relative, name)) relative = addBackslash(relative) + name;
    choice.FieldText = addBackslash(relative);
    const std::string programs = bar == std::string::npos ? "" : chooserResult.substr(bar + 1);
    choice.Path = addBackslash(programs) + choice.FieldText;
    return true;
}

bool isExeProgram(const std::string& progExe) {
    std::string extension = entryExtension(progExe);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return extension == "exe";
}

std::string nameBeforeFirstDot(const std::string& progExe) { return progExe.substr(0, progExe.find('.')); }
