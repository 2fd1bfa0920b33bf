// Reading a pack and extracting its entries into a destination folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "payload/file_system.h"
#include "payload/pack_format.h"

// Called after every non-empty file entry that extraction tried to write.
using ProgressHook = std::function<void()>;

struct PackReader {
    std::string path;                  // the pack file
    bool open = false;                 // between openPack and closePack
    uint32_t dirUnpackedSize = 0;      // from the trailer
    uint32_t dataStart = 0;            // from the trailer
    uint64_t totalUnpackedSize = 0;    // sum of unpackedSize over all entries
    ProgressHook progressHook;         // or empty
    std::vector<PackEntry> entries;    // in directory order
    size_t current = 0;                // the entry being extracted
    FileSystem* fs = nullptr;          // where packs are read and entries written
    // Asked when a target cannot be created: offers the administrator login when
    // the process lacks the rights and answers whether to try once more.
    std::function<bool()> loginRetry;
};

bool openPack(PackReader& reader, const std::string& path, ProgressHook hook);
bool extractPack(PackReader& reader, const std::string& destination, const std::string& keepExtensions);
void closePack(PackReader& reader);
void makeFolders(FileSystem& fs, const std::string& path);
