// Builds pack bytes for tests: stored entries, compressed entries made of
// literal codes only (enough to exercise the reader without an encoder), and
// whatever damage a test wants to apply afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "payload/block_codec.h"
#include "payload/pack_format.h"

namespace packtest {

// One entry of a test pack.
struct Item {
    std::string name;
    uint32_t type = kEntryFile;
    std::string data;                   // the bytes the entry unpacks to
    uint64_t creation = 0;              // FILETIME
    uint64_t lastWrite = 0;             // FILETIME
    std::optional<std::string> packed;  // the bytes in the data area, when not stored
};

inline Item folder(const std::string& name, uint64_t lastWrite = 0) {
    return Item{name, kEntryFolder, "", lastWrite, lastWrite, std::nullopt};
}
inline Item file(const std::string& name, const std::string& data, uint64_t creation = 0, uint64_t lastWrite = 0) {
    return Item{name, kEntryFile, data, creation, lastWrite, std::nullopt};
}

inline std::string bytesOf(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// A compressed block that spells `data` with one 8-bit literal code per byte:
// the literal-width code, the literals, the end code, packed MSB first into
// little-endian words behind the "JC" header.
inline std::string literalBlock(const std::string& data, bool withChecksum = true) {
    std::vector<uint32_t> words;
    uint32_t current = 0;
    unsigned used = 0;
    auto bits = [&](uint32_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            current |= ((value >> i) & 1u) << (31 - used);
            if (++used == 32) { words.push_back(current); current = 0; used = 0; }
        }
    };
    bits(0b001, 3); bits(0, 4); bits(0, 1); bits(1, 1);  // literals are 8 bits wide
    for (unsigned char c : data) { bits(1, 1); bits(c, 8); }
    bits(0, 12);  // end of block
    if (used != 0) words.push_back(current);

    uint32_t checksum = withChecksum ? blockChecksum(reinterpret_cast<const uint8_t*>(data.data()), data.size()) : 0;
    std::string out = "JC";
    auto le32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out += char(v >> (8 * i)); };
    le32(uint32_t(data.size()));
    le32(checksum);
    for (uint32_t w : words) le32(w);
    return out;
}

inline Item compressed(const std::string& name, const std::string& data, uint64_t lastWrite = 0) {
    return Item{name, kEntryFile, data, lastWrite, lastWrite, literalBlock(data)};
}

// An entry whose data area holds `packedSize` filler bytes that are no block.
inline Item garbage(const std::string& name, const std::string& data, size_t packedSize) {
    return Item{name, kEntryFile, data, 0, 0, std::string(packedSize, '\x5A')};
}

inline std::string trailerBytes(uint32_t dirUnpackedSize, uint32_t dirPackedSize, uint32_t dataStart) {
    PackTrailer t;
    t.dirUnpackedSize = dirUnpackedSize;
    t.dirPackedSize = dirPackedSize;
    t.dataStart = dataStart;
    uint8_t last16[kPackTrailerSize];
    serializeTrailer(t, last16);
    return std::string(reinterpret_cast<char*>(last16), kPackTrailerSize);
}

// `front` (what precedes the directory: an image and the data area), a stored
// directory block and a trailer pointing at them.
inline std::string assemble(const std::string& front, const std::vector<uint8_t>& directory, uint32_t dataStart) {
    return front + bytesOf(directory) + trailerBytes(uint32_t(directory.size()), uint32_t(directory.size()), dataStart);
}

inline std::vector<PackEntry> entriesOf(const std::vector<Item>& items, uint32_t dataStart) {
    std::vector<PackEntry> entries;
    uint32_t offset = dataStart;
    for (const Item& item : items) {
        PackEntry e;
        e.name = item.name;
        e.type = item.type;
        e.unpackedSize = uint32_t(item.data.size());
        e.packedSize = uint32_t(item.packed ? item.packed->size() : item.data.size());
        e.dataOffset = offset;
        e.creationTime = item.creation;
        e.lastWriteTime = item.lastWrite;
        offset += e.packedSize;
        entries.push_back(e);
    }
    return entries;
}

inline std::string dataArea(const std::vector<Item>& items) {
    std::string data;
    for (const Item& item : items) data += item.packed ? *item.packed : item.data;
    return data;
}

// A pack of `items` appended to `image` (dataStart = the image's size).
inline std::string buildPack(const std::vector<Item>& items, const std::string& image = "") {
    uint32_t dataStart = uint32_t(image.size());
    return assemble(image + dataArea(items), serializeDirectory(entriesOf(items, dataStart)), dataStart);
}

// The same with the directory compressed.
inline std::string buildPackCompressedDirectory(const std::vector<Item>& items, const std::string& image = "") {
    uint32_t dataStart = uint32_t(image.size());
    std::string directory = bytesOf(serializeDirectory(entriesOf(items, dataStart)));
    std::string block = literalBlock(directory);
    return image + dataArea(items) + block + trailerBytes(uint32_t(directory.size()), uint32_t(block.size()), dataStart);
}

// Overwrites the u32 that starts `offset` bytes before the end.
inline std::string patchFromEnd(std::string bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - offset + i] = char(value >> (8 * i));
    return bytes;
}

}  // namespace packtest
