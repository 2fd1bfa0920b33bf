// The compressor that qbmake uses for pack entries and directories. It writes
// one complete block (see payload/block_codec.h) that the setup program's
// decoder reads back exactly.
//
// Levels: 1 to 6 parse greedily or lazily over a hash chain (1 is the
// fastest); 7 to 9 find matches with a binary tree and choose codes by
// dynamic programming over their bit prices (9 is the best and the default).
// Every level uses the whole code set: 7-bit literals with an offset where the
// literals of a stretch fit a 128-value window, the zero byte, one-byte copies
// from distance 1 to 14, short matches, repeats of the last distance, indexBase
// changes and raw runs.
//
// Memory: the input is parsed in chunks (1 MiB for levels 1-6, 256 KiB for
// 7-9), so the working set does not grow with the input; only the output
// vector does. Matches reach back at most a window: 64 KiB (level 1) up to
// 1 MiB (level 6) through a hash chain of 4 bytes per window position, and 1,
// 2 or 4 MiB (levels 7, 8, 9) through a binary tree of 8 bytes per window
// position; windows shrink to the input for small inputs. Measured on an
// 85 MB input: level 9 needs about 36 MB besides the input and the output,
// level 1 a few MB.
//
// The caller decides between this block and storing the bytes as they are:
// a pack keeps an entry stored when the block is not smaller than the data
// (shouldStore). That also keeps the rule that a compressed block is never as
// long as its unpacked size, since that length marks a stored entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kFastestLevel = 1;
constexpr int kBestLevel = 9;
constexpr int kDefaultLevel = kBestLevel;

// Compresses `size` bytes into one block: "JC", the unpacked size, the
// blockChecksum of the data, and the bit stream, which always begins with a
// literal-width code. Levels outside 1..9 are clamped. Returns an empty
// vector when `size` does not fit the header's 32-bit unpacked size.
std::vector<uint8_t> encodeBlock(const uint8_t* data, size_t size, int level = kDefaultLevel);

// True when the bytes should be stored rather than replaced by an encoded
// block of encodedSize bytes: the block does not save anything.
bool shouldStore(size_t unpackedSize, size_t encodedSize);
