// Writing a pack: each entry's data as it is added, then the directory block
// and the trailer. Entries are written in the order they are added; the caller
// sorts them.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "payload/file_system.h"
#include "block_encoder.h"
#include "payload/pack_format.h"

struct PackWriter {
    std::ostream* out = nullptr;     // where the pack goes, already holding dataStart bytes
    uint32_t dataStart = 0;          // bytes in front of the pack (the stub's size, or 0)
    uint64_t position = 0;           // absolute offset of the next data byte
    std::vector<PackEntry> entries;  // in the order written
    int level = kDefaultLevel;       // compression level; 0 stores every block
};

// Starts a pack on `out`, whose first `dataStart` bytes are already written.
void startPack(PackWriter& writer, std::ostream& out, uint32_t dataStart, int level = kDefaultLevel);

// The bytes an entry's content (or the directory) takes in the data area: one
// compressed block, or the bytes themselves when compressing saves nothing or
// `level` is 0.
std::vector<uint8_t> packBlock(const std::vector<uint8_t>& bytes, int level = kDefaultLevel);

// Each of these returns false with `error` set when the pack cannot take the
// entry (the pack would reach 4 GiB) or the output cannot be written.
bool addFolderEntry(PackWriter& writer, const std::string& name, const FileTimes& times, std::string& error);
bool addFileEntry(PackWriter& writer, const std::string& name, const FileTimes& times,
                  const std::vector<uint8_t>& bytes, std::string& error);
// Copies `size` bytes from `in` as one stored entry, without holding them in memory.
bool addStoredCopy(PackWriter& writer, const std::string& name, const FileTimes& times, std::istream& in,
                   uint64_t size, std::string& error);
// Writes the directory block and the trailer.
bool finishPack(PackWriter& writer, std::string& error);
