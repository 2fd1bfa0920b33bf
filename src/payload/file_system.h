// The file operations the payload code needs, handed in so that the same pack
// and settings logic runs over Windows files in Install.exe and over an
// in-memory tree in the native tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// FILETIME values: 100-ns intervals since 1601-01-01 UTC.
struct FileTimes {
    uint64_t creation = 0;
    uint64_t lastWrite = 0;
};

class OpenedFile {
public:
    virtual ~OpenedFile() = default;
    // Reads exactly `count` bytes at the current position; false on a short read.
    virtual bool read(void* buffer, uint32_t count) = 0;
    // Advances the position by `count` bytes; false when that passes the end.
    virtual bool skip(uint32_t count) = 0;
    virtual bool seek(uint64_t offset) = 0;
    virtual bool write(const void* data, uint32_t count) = 0;
    // Cuts the file off at the current position.
    virtual bool truncateHere() = 0;
    virtual uint64_t size() = 0;
    // Sets creation and last-write time; the last-access time is left alone.
    virtual bool setTimes(const FileTimes& times) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Size of a file; -1 when there is no file at the path (missing, or a folder).
    virtual int64_t fileSize(const std::string& path) = 0;
    virtual bool isFile(const std::string& path) = 0;
    virtual bool isFolder(const std::string& path) = 0;
    // Creates one folder level; its parent must exist.
    virtual bool createFolder(const std::string& path) = 0;
    // Opens an existing file for reading; other readers are allowed.
    virtual std::unique_ptr<OpenedFile> openRead(const std::string& path) = 0;
    // Creates the file for reading and writing, replacing an existing one (other
    // readers allowed); when that fails, reopens an existing file with truncation.
    virtual std::unique_ptr<OpenedFile> createReplace(const std::string& path) = 0;
    // Opens for reading and writing where allowed, else for reading only;
    // others may read but not write while it is open. `writable` tells which.
    virtual std::unique_ptr<OpenedFile> openHeld(const std::string& path, bool& writable) = 0;
    // Creates a new file (or opens one that appeared meanwhile) for writing,
    // held like openHeld.
    virtual std::unique_ptr<OpenedFile> createHeld(const std::string& path) = 0;
};
