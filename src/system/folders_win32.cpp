#include "system/folders_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kOpenCommandPath[] = "PureBasic.exe\\shell\\open\\command";

// The four folder calls get a buffer one character longer than they are told,
// so the text is terminated whatever they do at the limit.
constexpr DWORD kFolderBufferSize = 260;

std::string folderCallResult(const char* buffer, DWORD length) {
    // 0 is a failure; a length beyond the buffer is the size the call would
    // have needed, and the buffer holds nothing useful then.
    if (length == 0 || length > kFolderBufferSize) return std::string();
    return std::string(buffer);
}

std::string currentFolder() {
    char buffer[kFolderBufferSize + 1] = {};
    return folderCallResult(buffer, GetCurrentDirectoryA(kFolderBufferSize, buffer));
}

std::string systemFolder() {
    char buffer[kFolderBufferSize + 1] = {};
    return folderCallResult(buffer, GetSystemDirectoryA(buffer, kFolderBufferSize));
}

std::string windowsFolder() {
    char buffer[kFolderBufferSize + 1] = {};
    return folderCallResult(buffer, GetWindowsDirectoryA(buffer, kFolderBufferSize));
}

std::string tempFolder() {
    char buffer[kFolderBufferSize + 1] = {};
    return folderCallResult(buffer, GetTempPathA(kFolderBufferSize, buffer));
}

std::string shellFolder(int32_t code) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, code, &list)) || !list) return std::string();
    char buffer[MAX_PATH + 1] = {};
    const bool found = SHGetPathFromIDListA(list, buffer) != FALSE;
    CoTaskMemFree(list);
    return found ? std::string(buffer) : std::string();
}

std::string programFilesValue() {
    return readRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
}

// The default value of an open-command key. Opened with full access, as the
// product's lookup always has: a key the user may not change counts as missing.
std::string openCommand(HKEY root, const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return std::string();
    std::vector<char> buffer(522);
    DWORD size = DWORD(buffer.size());
    const LONG result = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::string();
    return registryValueText(std::string_view(buffer.data(), std::min<size_t>(size, buffer.size())));
}

// imagehlp is not one of the DLLs Windows protects: load it from the system
// folder by full path, never from the folder the installer was started from.
using MakePathFunction = BOOL(WINAPI*)(PCSTR);

MakePathFunction makeSureDirectoryPathExists() {
    static MakePathFunction function = [] () -> MakePathFunction {
        const std::string folder = systemFolder();
        if (folder.empty()) return nullptr;
        const std::string dll = addBackslash(folder) + "imagehlp.dll";
        // The altered search path makes its own dependencies come from there too.
        HMODULE module = LoadLibraryExA(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module) return nullptr;
        return reinterpret_cast<MakePathFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "MakeSureDirectoryPathExists")));
    }();
    return function;
}

}  // namespace

std::string readRegString(HKEY root, const std::string& keyPath, const std::string& valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
    BYTE buffer[255];
    DWORD size = sizeof buffer;
    // The type is not asked for: whatever the value holds is read as text.
    const LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::string();
    return registryValueText(std::string_view(reinterpret_cast<const char*>(buffer), std::min<size_t>(size, sizeof buffer)));
}

std::string pureBasicFolder() {
    std::string command;
    // Bits 16-23 of the version are zero on Windows 9x only.
    if ((GetVersion() >> 16) & 0xFF) {
        command = openCommand(HKEY_CLASSES_ROOT, std::string("Applications\\") + kOpenCommandPath);
        if (command.empty()) command = openCommand(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + kOpenCommandPath);
    } else {
        command = openCommand(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + kOpenCommandPath);
    }
    return pureBasicFolderOf(command);
}

std::string specialFolder(int32_t code) {
    std::string folder;
    switch (code) {
    case FolderCurrent: folder = currentFolder(); break;
    case FolderSystem: folder = systemFolder(); break;
    case FolderWindows: folder = windowsFolder(); break;
    case FolderTemp: folder = tempFolder(); break;
    case FolderQuickLaunch: folder = quickLaunchFolderOf(specialFolder(FolderAppData)); break;
    case FolderProgramFiles: folder = programFilesValue(); break;
    case FolderPureBasic: folder = pureBasicFolder(); break;
    case FolderAurora:
        folder = productFolderOf(readRegString(HKEY_CURRENT_USER, "Software\\IonicWind\\Aurora\\PATHS", "BIN"),
                                 programFilesValue(), "\\Aurora\\");
        break;
    case FolderEmergenceBasic:
        folder = productFolderOf(readRegString(HKEY_CURRENT_USER, "Software\\IonicWind\\Emergence BASIC\\PATHS", "BIN"),
                                 programFilesValue(), "\\EBDev\\");
        break;
    // Read from the registry, not asked of the shell, although it is a CSIDL too.
    case FolderCommonFiles: folder = readRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "CommonFilesDir"); break;
    default: folder = shellFolder(code); break;
    }
    return asFolder(folder);
}

std::string expandPath(const std::string& text, bool relativeToProgramFiles) {
    return expandPath(text, relativeToProgramFiles, specialFolder);
}

bool createPath(const std::string& path) {
    MakePathFunction makePath = makeSureDirectoryPathExists();
    if (!makePath) return false;
    // Only a path that ends in '\' has its last part created as a folder.
    return makePath(addBackslash(path).c_str()) != FALSE;
}
