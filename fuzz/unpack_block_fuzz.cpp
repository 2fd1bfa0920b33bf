// The decoder never reads or writes out of bounds, whatever the block: every
// input is decoded as it stands and, so that the bit stream is explored
// without the header in the way, once more behind a made-up header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "payload/block_codec.h"

namespace {

constexpr uint32_t kMaxOutput = 1 << 20;

// Decodes into a buffer of exactly `capacity` bytes (so the sanitizer sees any
// write past it) and checks what a successful decode promises.
void decodeInto(const uint8_t* block, size_t size, size_t capacity) {
    std::vector<uint8_t> out(capacity);
    size_t written = 0;
    BlockStatus status = decodeBlock(block, size, out.data(), capacity, written);
    BlockHeader header;
    if (status == BlockStatus::Ok) {
        if (!readBlockHeader(block, size, header) || written > header.unpackedSize) std::abort();
        if (header.checksum != 0 && blockChecksum(out.data(), written) != header.checksum) std::abort();
    }
    int32_t result = unpackBlock(block, size, out.data(), capacity);
    if ((result != 0) != (status == BlockStatus::Ok && written != 0)) std::abort();
    if (readBlockHeader(block, size, header)) {
        bool exact = decodeBlockExact(block, size, out.data(), capacity, header.unpackedSize);
        if (exact && (status != BlockStatus::Ok || written != header.unpackedSize)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BlockHeader header;
    if (readBlockHeader(data, size, header) && header.unpackedSize <= kMaxOutput) {
        decodeInto(data, size, header.unpackedSize + kBlockSpareBytes);
        decodeInto(data, size, header.unpackedSize);  // no spare room for wide copies
    } else {
        decodeInto(data, size, 64);
    }

    // The same bytes as the stream of a block of up to 64 KiB, checksum 0.
    if (size >= 2) {
        uint32_t unpacked = uint32_t(data[0]) | uint32_t(data[1]) << 8;
        std::vector<uint8_t> block = {'J', 'C', uint8_t(unpacked), uint8_t(unpacked >> 8), 0, 0, 0, 0, 0, 0};
        block.insert(block.end(), data + 2, data + size);
        decodeInto(block.data(), block.size(), unpacked + kBlockSpareBytes);
    }
    return 0;
}
