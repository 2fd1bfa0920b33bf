// Encoding then decoding gives the input back, at the fastest and the best
// level, and the block has the shape the pack reader relies on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "block_encoder.h"
#include "payload/block_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int level : {kFastestLevel, kBestLevel}) {
        std::vector<uint8_t> block = encodeBlock(data, size, level);
        if (block.size() < kBlockHeaderSize + 4 || (block.size() - kBlockHeaderSize) % 4 != 0) std::abort();
        if (block[13] >> 1 != 0b0010000) std::abort();  // opens with a literal-width code

        std::vector<uint8_t> out(size + kBlockSpareBytes);
        if (!decodeBlockExact(block.data(), block.size(), out.data(), out.size(), uint32_t(size))) std::abort();
        if (!std::equal(data, data + size, out.begin())) std::abort();
        // Exactly the words the decoder reads.
        size_t written = 0;
        if (decodeBlock(block.data(), block.size() - 4, out.data(), out.size(), written) != BlockStatus::Truncated) {
            std::abort();
        }
    }
    return 0;
}
