#include "disk_file_system.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A window of `size` bytes from `base` on in a file opened for reading.
class SliceFile : public OpenedFile {
public:
    SliceFile(std::ifstream stream, uint64_t base, uint64_t size) : in_(std::move(stream)), base_(base), size_(size) {}

    bool read(void* buffer, uint32_t count) override {
        if (pos_ > size_ || size_ - pos_ < count) return false;
        in_.clear();
        in_.seekg(std::streamoff(base_ + pos_));
        if (!in_.read(static_cast<char*>(buffer), count)) return false;
        pos_ += count;
        return true;
    }
    bool skip(uint32_t count) override {
        if (pos_ > size_ || size_ - pos_ < count) return false;
        pos_ += count;
        return true;
    }
    bool seek(uint64_t offset) override {
        pos_ = offset;
        return offset <= size_;
    }
    bool write(const void*, uint32_t) override { return false; }
    bool truncateHere() override { return false; }
    uint64_t size() override { return size_; }
    bool setTimes(const FileTimes&) override { return false; }

private:
    std::ifstream in_;
    uint64_t base_;
    uint64_t size_;
    uint64_t pos_ = 0;
};

}  // namespace

void ReadOnlyDiskFileSystem::addSlice(const std::string& name, const std::string& realPath, uint64_t offset,
                                      uint64_t size) {
    slices_[name] = Slice{realPath, offset, size};
}

int64_t ReadOnlyDiskFileSystem::fileSize(const std::string& path) {
    auto slice = slices_.find(path);
    if (slice != slices_.end()) return int64_t(slice->second.size);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return -1;
    uint64_t size = fs::file_size(path, ec);
    return ec ? -1 : int64_t(size);
}

bool ReadOnlyDiskFileSystem::isFile(const std::string& path) { return fileSize(path) >= 0; }

bool ReadOnlyDiskFileSystem::isFolder(const std::string& path) {
    std::error_code ec;
    return slices_.count(path) == 0 && fs::is_directory(path, ec);
}

std::unique_ptr<OpenedFile> ReadOnlyDiskFileSystem::openRead(const std::string& path) {
    int64_t size = fileSize(path);
    if (size < 0) return nullptr;
    auto slice = slices_.find(path);
    std::string real = slice != slices_.end() ? slice->second.realPath : path;
    uint64_t base = slice != slices_.end() ? slice->second.offset : 0;
    std::ifstream in(real, std::ios::binary);
    if (!in) return nullptr;
    return std::make_unique<SliceFile>(std::move(in), base, uint64_t(size));
}
