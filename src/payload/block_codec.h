// Compressed blocks: the decoder and the block checksum.
//
// Block layout (integers little-endian):
//
//   offset  width       content
//   0       2 bytes     "JC"
//   2       u32         unpacked size: the bytes the block decodes to
//   6       u32         blockChecksum of the decoded bytes, or 0 for none
//   10      n x u32     bit stream, most significant bit of each word first
//
// A block is exactly 10 + 4 * (words the decoder fetches) bytes long. The
// decoder works in the caller's buffers and never allocates. Callers give it
// an output buffer of the unpacked size plus kBlockSpareBytes, which lets
// copies move eight bytes at a time. Anything that would read past the block,
// copy from before the start of the output or write past the header's
// unpacked size refuses the block instead.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kBlockHeaderSize = 10;
constexpr size_t kBlockSpareBytes = 8;  // what callers add to the unpacked size for the output buffer

// The fields of a block header.
struct BlockHeader {
    uint32_t unpackedSize = 0;  // bytes the block decodes to
    uint32_t checksum = 0;      // blockChecksum of those bytes, or 0 for none
};

// Why a block was refused; Ok when it was not.
enum class BlockStatus {
    Ok,              // decoded, checksum (when not 0) verified
    BadMagic,        // does not begin with "JC"
    Truncated,       // shorter than its header, or the bit stream runs past the block's end
    BadDistance,     // a copy from distance 0 or from before the start of the output
    Overflow,        // output past the header's unpacked size, or a header size above the buffer
    ZeroWidth,       // a new-distance phrase while indexBase is 0 (a zero-width read)
    NoLiteralWidth,  // a literal before any literal-width code
    BadGamma,        // a gamma value that does not fit in 32 bits
    ShortOutput,     // ended before the unpacked size while the checksum covers the whole size
    BadChecksum,     // the decoded bytes do not match the header's checksum
};

// A short English name of a status, for messages and test output.
const char* blockStatusName(BlockStatus status);

// The block checksum: little-endian words at 0, 4, 8, ... plus, when the
// length is not a multiple of 4, the word that ends exactly at the end; each
// word w does s += w; s ^= rotl(w, 1) + 1. 0 for fewer than 4 bytes.
uint32_t blockChecksum(const uint8_t* data, size_t length);

// Reads the header; false when the block is shorter than a header or lacks "JC".
bool readBlockHeader(const uint8_t* block, size_t blockSize, BlockHeader& header);

// Decodes one block of blockSize bytes into out[0, outCapacity). On Ok,
// `written` is the number of bytes produced (at most the header's unpacked
// size). On any other status the buffer holds unspecified bytes and `written`
// is what had been produced when decoding stopped.
BlockStatus decodeBlock(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity,
                        size_t& written);

// The classic entry point: bytes written, or 0 when the block is refused
// (including a checksum mismatch or a null address).
int32_t unpackBlock(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity);

// What the pack reader uses: true only when the header's unpacked size is
// expectedSize, the block decodes, its checksum (when not 0) matches and
// exactly expectedSize bytes came out. The pack reader passes
// outCapacity = expectedSize + kBlockSpareBytes.
bool decodeBlockExact(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity,
                      uint32_t expectedSize);
