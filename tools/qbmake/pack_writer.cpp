#include "pack_writer.h"

#include <limits>

#include "block_encoder.h"

namespace {

constexpr uint64_t kLargestOffset = std::numeric_limits<uint32_t>::max();

PackEntry entryFor(const PackWriter& writer, const std::string& name, uint32_t type, const FileTimes& times) {
    PackEntry e;
    e.name = name;
    e.type = type;
    e.dataOffset = uint32_t(writer.position);
    e.creationTime = times.creation;
    e.lastWriteTime = times.lastWrite;
    return e;
}

// Every offset in a pack is 32-bit, so the whole file must stay below 4 GiB.
bool roomFor(const PackWriter& writer, uint64_t bytes, std::string& error) {
    if (bytes > kLargestOffset - writer.position) {
        error = "the pack would reach 4 GiB";
        return false;
    }
    return true;
}

bool writeBytes(PackWriter& writer, const void* data, size_t size, std::string& error) {
    writer.out->write(static_cast<const char*>(data), std::streamsize(size));
    if (!*writer.out) {
        error = "cannot write the output";
        return false;
    }
    writer.position += size;
    return true;
}

}  // namespace

void startPack(PackWriter& writer, std::ostream& out, uint32_t dataStart, int level) {
    writer.out = &out;
    writer.level = level;
    writer.dataStart = dataStart;
    writer.position = dataStart;
    writer.entries.clear();
}

std::vector<uint8_t> packBlock(const std::vector<uint8_t>& bytes, int level) {
    if (level == 0) return bytes;
    std::vector<uint8_t> block = encodeBlock(bytes.data(), bytes.size(), level);
    // Kept stored when the block saves nothing, which also keeps a block from
    // ever being as long as its data (that length means "stored").
    if (block.empty() || shouldStore(bytes.size(), block.size())) return bytes;
    return block;
}

bool addFolderEntry(PackWriter& writer, const std::string& name, const FileTimes& times, std::string& error) {
    writer.entries.push_back(entryFor(writer, name, kEntryFolder, times));
    return true;
}

bool addFileEntry(PackWriter& writer, const std::string& name, const FileTimes& times,
                  const std::vector<uint8_t>& bytes, std::string& error) {
    PackEntry e = entryFor(writer, name, kEntryFile, times);
    if (bytes.size() > kLargestOffset) {
        error = "a file of 4 GiB or more cannot go into a pack";
        return false;
    }
    // An empty file owns no data bytes; the reader reads none for it.
    std::vector<uint8_t> packed = bytes.empty() ? bytes : packBlock(bytes, writer.level);
    if (!roomFor(writer, packed.size(), error) || !writeBytes(writer, packed.data(), packed.size(), error))
        return false;
    e.unpackedSize = uint32_t(bytes.size());
    e.packedSize = uint32_t(packed.size());
    writer.entries.push_back(e);
    return true;
}

bool addStoredCopy(PackWriter& writer, const std::string& name, const FileTimes& times, std::istream& in,
                   uint64_t size, std::string& error) {
    PackEntry e = entryFor(writer, name, kEntryFile, times);
    if (!roomFor(writer, size, error)) return false;
    std::vector<char> chunk(1 << 16);
    for (uint64_t left = size; left > 0;) {
        size_t piece = left < chunk.size() ? size_t(left) : chunk.size();
        if (!in.read(chunk.data(), std::streamsize(piece))) {
            error = "cannot read the program pack back";
            return false;
        }
        if (!writeBytes(writer, chunk.data(), piece, error)) return false;
        left -= piece;
    }
    e.unpackedSize = e.packedSize = uint32_t(size);
    writer.entries.push_back(e);
    return true;
}

bool finishPack(PackWriter& writer, std::string& error) {
    std::vector<uint8_t> directory = serializeDirectory(writer.entries);
    std::vector<uint8_t> block = packBlock(directory, writer.level);
    if (!roomFor(writer, block.size() + kPackTrailerSize, error)) return false;
    PackTrailer trailer;
    trailer.dirUnpackedSize = uint32_t(directory.size());
    trailer.dirPackedSize = uint32_t(block.size());
    trailer.dataStart = writer.dataStart;
    uint8_t last16[kPackTrailerSize];
    serializeTrailer(trailer, last16);
    if (!writeBytes(writer, block.data(), block.size(), error)) return false;
    if (!writeBytes(writer, last16, sizeof last16, error)) return false;
    writer.out->flush();
    if (!*writer.out) {
        error = "cannot write the output";
        return false;
    }
    return true;
}
