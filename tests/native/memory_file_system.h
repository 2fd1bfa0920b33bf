// An in-memory FileSystem for native tests: files, folders, times, and the
// failures a test wants to provoke. Paths use '\' (a '/' counts as '\'); a
// trailing '\' on a folder path is ignored. Names are case-sensitive.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "payload/file_system.h"

class MemoryFileSystem : public FileSystem {
public:
    struct File {
        std::vector<uint8_t> data;
        FileTimes times;
        bool timesSet = false;
    };

    std::map<std::string, File> files;
    std::set<std::string> folders;
    std::set<std::string> unwritable;   // paths whose creation fails
    std::set<std::string> readOnly;     // files that open for reading only
    int heldOpen = 0;                   // handles from openHeld/createHeld not yet closed

    static std::string norm(std::string p) {
        for (char& c : p) if (c == '/') c = '\\';
        while (p.size() > 1 && p.back() == '\\') p.pop_back();
        return p;
    }
    static std::string parentOf(const std::string& p) {
        auto n = norm(p);
        auto cut = n.rfind('\\');
        return cut == std::string::npos ? std::string() : n.substr(0, cut);
    }

    void addFolder(const std::string& p) {
        auto n = norm(p);
        for (size_t i = 0; i <= n.size(); ++i)
            if (i == n.size() || (n[i] == '\\' && i > 0)) folders.insert(n.substr(0, i));
    }
    void addFile(const std::string& p, const std::string& content, FileTimes t = {}) {
        auto parent = parentOf(p);
        if (!parent.empty()) addFolder(parent);
        files[norm(p)] = File{std::vector<uint8_t>(content.begin(), content.end()), t, false};
    }
    std::string content(const std::string& p) const {
        auto it = files.find(norm(p));
        return it == files.end() ? std::string() : std::string(it->second.data.begin(), it->second.data.end());
    }
    bool has(const std::string& p) const { return files.count(norm(p)) != 0; }

    int64_t fileSize(const std::string& path) override {
        auto it = files.find(norm(path));
        return it == files.end() ? -1 : int64_t(it->second.data.size());
    }
    bool isFile(const std::string& path) override { return files.count(norm(path)) != 0; }
    bool isFolder(const std::string& path) override { return folders.count(norm(path)) != 0; }
    bool createFolder(const std::string& path) override {
        auto n = norm(path);
        if (folders.count(n) || files.count(n) || unwritable.count(n)) return false;
        auto parent = parentOf(n);
        if (!parent.empty() && !folders.count(parent)) return false;
        folders.insert(n);
        return true;
    }

    class Handle : public OpenedFile {
    public:
        Handle(MemoryFileSystem& fs, std::string key, bool writable, bool held)
            : fs_(fs), key_(std::move(key)), writable_(writable), held_(held) { if (held_) ++fs_.heldOpen; }
        ~Handle() override { if (held_) --fs_.heldOpen; }
        File& f() { return fs_.files[key_]; }
        bool read(void* buffer, uint32_t count) override {
            auto& d = f().data;
            if (pos_ > d.size() || d.size() - pos_ < count) return false;
            std::copy(d.begin() + pos_, d.begin() + pos_ + count, static_cast<uint8_t*>(buffer));
            pos_ += count;
            return true;
        }
        bool skip(uint32_t count) override {
            if (pos_ > f().data.size() || f().data.size() - pos_ < count) return false;
            pos_ += count;
            return true;
        }
        bool seek(uint64_t offset) override { pos_ = offset; return true; }
        bool write(const void* data, uint32_t count) override {
            if (!writable_) return false;
            auto& d = f().data;
            if (d.size() < pos_ + count) d.resize(pos_ + count);
            std::copy(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count, d.begin() + pos_);
            pos_ += count;
            return true;
        }
        bool truncateHere() override { if (!writable_) return false; f().data.resize(pos_); return true; }
        uint64_t size() override { return f().data.size(); }
        bool setTimes(const FileTimes& t) override { f().times = t; f().timesSet = true; return true; }
    private:
        MemoryFileSystem& fs_;
        std::string key_;
        bool writable_;
        bool held_;
        uint64_t pos_ = 0;
    };

    std::unique_ptr<OpenedFile> openRead(const std::string& path) override {
        auto n = norm(path);
        if (!files.count(n)) return nullptr;
        return std::make_unique<Handle>(*this, n, false, false);
    }
    bool canCreate(const std::string& n) {
        if (unwritable.count(n) || folders.count(n) || readOnly.count(n)) return false;
        auto parent = parentOf(n);
        return parent.empty() || folders.count(parent);
    }
    std::unique_ptr<OpenedFile> createReplace(const std::string& path) override {
        auto n = norm(path);
        if (!canCreate(n)) return nullptr;
        files[n] = File{};
        return std::make_unique<Handle>(*this, n, true, false);
    }
    std::unique_ptr<OpenedFile> openHeld(const std::string& path, bool& writable) override {
        auto n = norm(path);
        if (!files.count(n)) return nullptr;
        writable = !readOnly.count(n) && !unwritable.count(n);
        return std::make_unique<Handle>(*this, n, writable, true);
    }
    std::unique_ptr<OpenedFile> createHeld(const std::string& path) override {
        auto n = norm(path);
        if (files.count(n)) { bool w; return openHeld(n, w); }
        if (!canCreate(n)) return nullptr;
        files[n] = File{};
        return std::make_unique<Handle>(*this, n, true, true);
    }
};
