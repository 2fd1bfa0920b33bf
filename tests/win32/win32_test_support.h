// Helpers for the tests that run under Wine: a scratch folder per test and
// small file utilities through the real Windows API.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

inline std::string windowText(HWND window) {
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

inline std::string className(HWND window) {
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

// A control's rectangle in its parent's client coordinates.
inline RECT placeOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Writes the window's client area as it is on the screen to a BMP in the build
// folder's screenshots, for a person to look at. (Wine leaves the frame to a
// window manager, which the test display lacks; the end-to-end tests shoot
// whole windows with a frame that Wine draws itself.)
inline void saveScreenshot(HWND window, const char* name) {
    const char* build = std::getenv("QB_BUILD_DIR");
    if (!build) return;
    // The build folder is a Linux path; Wine reaches the whole file system as Z:.
    std::string folder = std::string("Z:") + build + "/screenshots/";
    for (char& c : folder)
        if (c == '/') c = '\\';
    CreateDirectoryA(folder.c_str(), nullptr);

    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = DWORD((width * 3 + 3) & ~3);
    std::string pixels(size_t(rowBytes) * height, '\0');
    GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;
    const std::string path = folder + name + ".bmp";
    writeFile(path, bytes);
    EXPECT_TRUE(copied) << "screenshot " << name;
    std::printf("screenshot: %s\n", path.c_str());
}
