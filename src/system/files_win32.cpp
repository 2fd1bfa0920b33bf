#include "system/files_win32.h"

#include <windows.h>

namespace {

FILETIME toFileTime(uint64_t value) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(value);
    t.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return t;
}

class WindowsFile : public OpenedFile {
public:
    explicit WindowsFile(HANDLE handle) : handle_(handle) {}
    ~WindowsFile() override { CloseHandle(handle_); }

    bool read(void* buffer, uint32_t count) override {
        auto* p = static_cast<uint8_t*>(buffer);
        while (count > 0) {
            DWORD got = 0;
            if (!ReadFile(handle_, p, count, &got, nullptr) || got == 0) return false;
            p += got;
            count -= got;
        }
        return true;
    }
    bool skip(uint32_t count) override {
        LARGE_INTEGER here{}, distance{};
        if (!SetFilePointerEx(handle_, distance, &here, FILE_CURRENT)) return false;
        if (uint64_t(here.QuadPart) + count > size()) return false;
        distance.QuadPart = count;
        return SetFilePointerEx(handle_, distance, nullptr, FILE_CURRENT) != 0;
    }
    bool seek(uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }
    bool write(const void* data, uint32_t count) override {
        auto* p = static_cast<const uint8_t*>(data);
        while (count > 0) {
            DWORD put = 0;
            if (!WriteFile(handle_, p, count, &put, nullptr) || put == 0) return false;
            p += put;
            count -= put;
        }
        return true;
    }
    bool truncateHere() override { return SetEndOfFile(handle_) != 0; }
    uint64_t size() override {
        LARGE_INTEGER s{};
        return GetFileSizeEx(handle_, &s) ? static_cast<uint64_t>(s.QuadPart) : 0;
    }
    bool setTimes(const FileTimes& times) override {
        FILETIME creation = toFileTime(times.creation), lastWrite = toFileTime(times.lastWrite);
        return SetFileTime(handle_, &creation, nullptr, &lastWrite) != 0;
    }

private:
    HANDLE handle_;
};

std::unique_ptr<OpenedFile> wrap(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WindowsFile>(h);
}

HANDLE openFile(const std::string& path, DWORD access, DWORD disposition) {
    // Others may read the file meanwhile, never write it.
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class WindowsFileSystem : public FileSystem {
public:
    int64_t fileSize(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
        return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    bool isFile(const std::string& path) override {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool isFolder(const std::string& path) override {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool createFolder(const std::string& path) override { return CreateDirectoryA(path.c_str(), nullptr) != 0; }
    std::unique_ptr<OpenedFile> openRead(const std::string& path) override {
        return wrap(openFile(path, GENERIC_READ, OPEN_EXISTING));
    }
    std::unique_ptr<OpenedFile> createReplace(const std::string& path) override {
        HANDLE h = openFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
        // CREATE_ALWAYS refuses some existing files (hidden or system ones) that
        // can still be opened and cut to length 0.
        if (h == INVALID_HANDLE_VALUE) h = openFile(path, GENERIC_WRITE, TRUNCATE_EXISTING);
        return wrap(h);
    }
    std::unique_ptr<OpenedFile> openHeld(const std::string& path, bool& writable) override {
        HANDLE h = openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
        writable = h != INVALID_HANDLE_VALUE;
        if (h == INVALID_HANDLE_VALUE) h = openFile(path, GENERIC_READ, OPEN_EXISTING);
        return wrap(h);
    }
    std::unique_ptr<OpenedFile> createHeld(const std::string& path) override {
        return wrap(openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
    }
};

}  // namespace

FileSystem& windowsFileSystem() {
    static WindowsFileSystem fs;
    return fs;
}

void removeTemporaryFolder(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) continue;
            DeleteFileA((base + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}
