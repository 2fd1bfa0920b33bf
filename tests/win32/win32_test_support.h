// Helpers for the tests that run under Wine: a scratch folder per test and
// small file utilities through the real Windows API.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

// A fresh folder below the temporary folder, removed with its content afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH + 1];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "qbtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter_++) + "\\";
        removeTree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { removeTree(path_); }
    const std::string& path() const { return path_; }

    static void removeTree(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                std::string full = folder + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(full + "\\");
                } else {
                    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(full.c_str());
                }
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(folder.c_str());
    }

private:
    std::string path_;
    static inline int counter_ = 0;
};

inline void writeFile(const std::string& path, const std::string& content) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD put = 0;
    WriteFile(h, content.data(), DWORD(content.size()), &put, nullptr);
    CloseHandle(h);
}

inline std::string readFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(h);
    return content;
}

inline bool fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool folderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creation and last-write time of a file, as FILETIME values.
inline bool fileTimes(const std::string& path, uint64_t& creation, uint64_t& lastWrite) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME c, a, w;
    bool ok = GetFileTime(h, &c, &a, &w);
    CloseHandle(h);
    creation = (uint64_t(c.dwHighDateTime) << 32) | c.dwLowDateTime;
    lastWrite = (uint64_t(w.dwHighDateTime) << 32) | w.dwLowDateTime;
    return ok;
}
