// The pack format: a run of entry data, a directory block and a 16-byte trailer.
//
//   file offset                      content
//   0 .. dataStart                   whatever the pack is appended to (an executable image), or nothing
//   dataStart ..                     entry data, one entry after another in directory order, no padding
//   size-16-dirPackedSize ..         directory block (stored, or one compressed block)
//   size-16 .. size                  trailer: dirUnpackedSize, dirPackedSize, dataStart, "Pack"
//
// All integers are unsigned 32-bit little-endian; offsets are absolute in the file.
// A block is stored when its packed size equals its unpacked size, otherwise it is
// exactly one compressed block.
//
// Decoded directory: u32 entry count (signed; <= 0 means none), then per entry:
//   name (8-bit text, NUL-terminated, '\' between folders; folders end in '\'),
//   type (0 folder, 1 file), unpackedSize, packedSize, dataOffset,
//   creationTime low, high, lastWriteTime low, high.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kPackMagic = 0x6B636150;  // "Pack" read as a little-endian u32
constexpr size_t kPackTrailerSize = 16;
constexpr size_t kEntryFixedSize = 8 * 4;    // the eight u32 fields after the name

struct PackTrailer {
    uint32_t dirUnpackedSize = 0;
    uint32_t dirPackedSize = 0;
    uint32_t dataStart = 0;
    uint32_t magic = kPackMagic;
};
static_assert(sizeof(PackTrailer) == kPackTrailerSize);

enum : uint32_t { kEntryFolder = 0, kEntryFile = 1 };

struct PackEntry {
    std::string name;
    uint32_t type = kEntryFile;
    uint32_t unpackedSize = 0;
    uint32_t packedSize = 0;
    uint32_t dataOffset = 0;
    uint64_t creationTime = 0;   // FILETIME
    uint64_t lastWriteTime = 0;  // FILETIME
};

// Reads the trailer from the last 16 bytes; false when the magic is not "Pack".
bool parseTrailer(const uint8_t* last16, PackTrailer& trailer);
void serializeTrailer(const PackTrailer& trailer, uint8_t* out16);

// Parses a decoded directory. False (and `entries` empty) when a record runs past
// the end or the count cannot fit in the bytes given.
bool parseDirectory(const uint8_t* data, size_t size, std::vector<PackEntry>& entries);
std::vector<uint8_t> serializeDirectory(const std::vector<PackEntry>& entries);

// True when writing `name` below a destination folder stays inside it: no
// absolute path, drive, leading '\' or '/', ".." component, or ':' anywhere.
bool isSafeEntryName(const std::string& name);

// The extension of an entry name: the text after its last '.', unless a '\' or
// '/' follows that '.'; otherwise "".
std::string entryExtension(const std::string& name);

// True when `name` is held back by a keepExtensions list ("dll|ocx|"): only the
// first n fields are examined, n being the number of '|' (1 for a non-empty list
// without any), compared byte for byte.
bool isKeptExtension(const std::string& keepExtensions, const std::string& name);
