// Read-only access to packs on disk for the pack reader. A pack stored inside
// another pack (setup.pck in an installer) can be read in place as a slice of
// the outer file.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "payload/file_system.h"

class ReadOnlyDiskFileSystem : public FileSystem {
public:
    // Makes `name` stand for `size` bytes of `realPath` from `offset` on.
    void addSlice(const std::string& name, const std::string& realPath, uint64_t offset, uint64_t size);

    int64_t fileSize(const std::string& path) override;
    bool isFile(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    std::unique_ptr<OpenedFile> openRead(const std::string& path) override;
    // Nothing is ever written.
    bool createFolder(const std::string& path) override { return false; }
    std::unique_ptr<OpenedFile> createReplace(const std::string& path) override { return nullptr; }
    std::unique_ptr<OpenedFile> openHeld(const std::string& path, bool& writable) override { return nullptr; }
    std::unique_ptr<OpenedFile> createHeld(const std::string& path) override { return nullptr; }

private:
    struct Slice {
        std::string realPath;  // the file that holds the bytes
        uint64_t offset = 0;   // where they start in it
        uint64_t size = 0;     // how many there are
    };
    std::map<std::string, Slice> slices_;
};
