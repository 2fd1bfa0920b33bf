// Parsing a decoded pack directory never reads out of bounds; a directory
// that parses serializes and parses back to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "payload/pack_format.h"

namespace {

bool sameEntries(const std::vector<PackEntry>& a, const std::vector<PackEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].unpackedSize != b[i].unpackedSize ||
            a[i].packedSize != b[i].packedSize || a[i].dataOffset != b[i].dataOffset ||
            a[i].creationTime != b[i].creationTime || a[i].lastWriteTime != b[i].lastWriteTime) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so that any read past them is caught.
    std::vector<uint8_t> copy(data, data + size);
    std::vector<PackEntry> entries;
    if (!parseDirectory(copy.data(), copy.size(), entries)) {
        if (!entries.empty()) std::abort();
        return 0;
    }
    std::vector<uint8_t> again = serializeDirectory(entries);
    std::vector<PackEntry> reparsed;
    if (!parseDirectory(again.data(), again.size(), reparsed) || !sameEntries(entries, reparsed)) std::abort();
    return 0;
}
