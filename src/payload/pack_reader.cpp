// Opening a pack and extracting its entries. The pack is checked once in
// openPack (directory inside the file, records inside the directory, data area
// before the directory), so extraction can read the data area in sequence from
// dataStart without ever reading past it.
#include "payload/pack_reader.h"

#include <new>

#include "payload/block_codec.h"

namespace {

// Stored entries are copied in pieces of this size, so a large file never has
// to fit in memory at once.
constexpr uint32_t kCopyChunk = 1 << 16;

bool isStored(uint32_t packedSize, uint32_t unpackedSize) { return packedSize == unpackedSize; }

// The bytes an entry takes from the data area during extraction: folders,
// other types and empty files read nothing.
uint32_t bytesReadFor(const PackEntry& entry) {
    return entry.type == kEntryFile && entry.unpackedSize != 0 ? entry.packedSize : 0;
}

// Resizes without letting an allocation failure escape: a huge size from a
// damaged or oversized pack refuses the block instead of ending the process.
bool tryResize(std::vector<uint8_t>& buffer, size_t size) {
    try {
        buffer.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool endsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// The folder part of a name: up to and including its last '\' or '/'.
std::string pathPart(const std::string& name) {
    size_t cut = name.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
}

// Decodes one compressed block into exactly `unpackedSize` bytes of `out`. A
// block that does not decode, fails its checksum or yields another size is
// refused, so it is never written as if it were good.
bool decodeInto(const std::vector<uint8_t>& packed, std::vector<uint8_t>& out, uint32_t unpackedSize) {
    out.clear();
    // A header that promises another size is refused before any room is made.
    BlockHeader header;
    if (!readBlockHeader(packed.data(), packed.size(), header) || header.unpackedSize != unpackedSize) return false;
    if (!tryResize(out, size_t(unpackedSize) + kBlockSpareBytes)) return false;
    if (!decodeBlockExact(packed.data(), packed.size(), out.data(), out.size(), unpackedSize)) {
        out.clear();
        return false;
    }
    out.resize(unpackedSize);
    return true;
}

// Reads the trailer and the decoded directory; false for anything damaged.
bool readDirectory(PackReader& reader, OpenedFile& file, uint64_t fileSize) {
    uint8_t last16[kPackTrailerSize];
    if (fileSize < kPackTrailerSize) return false;
    if (!file.seek(fileSize - kPackTrailerSize) || !file.read(last16, kPackTrailerSize)) return false;
    PackTrailer trailer;
    if (!parseTrailer(last16, trailer)) return false;

    uint64_t directoryEnd = fileSize - kPackTrailerSize;
    if (trailer.dirPackedSize > directoryEnd) return false;
    uint64_t directoryStart = directoryEnd - trailer.dirPackedSize;
    if (trailer.dataStart > directoryStart) return false;

    std::vector<uint8_t> block;
    if (!tryResize(block, trailer.dirPackedSize)) return false;
    if (!file.seek(directoryStart) || !file.read(block.data(), trailer.dirPackedSize)) return false;

    std::vector<uint8_t> directory;
    if (isStored(trailer.dirPackedSize, trailer.dirUnpackedSize))
        directory.swap(block);
    else if (!decodeInto(block, directory, trailer.dirUnpackedSize))
        return false;

    std::vector<PackEntry> entries;
    if (!parseDirectory(directory.data(), directory.size(), entries)) return false;

    // The data area must lie between dataStart and the directory block.
    uint64_t dataEnd = trailer.dataStart;
    uint64_t total = 0;
    for (const PackEntry& e : entries) {
        dataEnd += bytesReadFor(e);
        total += e.unpackedSize;
    }
    if (dataEnd > directoryStart) return false;

    reader.dirUnpackedSize = trailer.dirUnpackedSize;
    reader.dataStart = trailer.dataStart;
    reader.entries = std::move(entries);
    reader.totalUnpackedSize = total;
    return true;
}

// Creates the target, offering the login once when it cannot be created.
std::unique_ptr<OpenedFile> createTarget(PackReader& reader, const std::string& target) {
    std::unique_ptr<OpenedFile> out = reader.fs->createReplace(target);
    if (!out && reader.loginRetry && reader.loginRetry()) out = reader.fs->createReplace(target);
    return out;
}

// Copies a stored entry from the pack into the target in pieces.
bool copyStored(OpenedFile& pack, OpenedFile& target, uint32_t size) {
    std::vector<uint8_t> chunk;
    if (!tryResize(chunk, size < kCopyChunk ? size : kCopyChunk)) return false;
    bool written = true;
    for (uint32_t left = size; left > 0;) {
        uint32_t piece = left < kCopyChunk ? left : kCopyChunk;
        if (!pack.read(chunk.data(), piece)) return false;
        written = target.write(chunk.data(), piece) && written;
        left -= piece;
    }
    return written;
}

// An empty file: created (or truncated) and given its times; no data is read.
bool writeEmptyEntry(PackReader& reader, const PackEntry& entry, const std::string& target, bool write) {
    if (!write) return false;
    std::unique_ptr<OpenedFile> out = createTarget(reader, target);
    if (!out) return false;
    out->setTimes(FileTimes{entry.creationTime, entry.lastWriteTime});
    return true;
}

// A compressed entry is decoded before its target is touched, so a refused
// block leaves an existing file as it was and no new file behind.
bool writeCompressedEntry(PackReader& reader, OpenedFile& pack, const PackEntry& entry, const std::string& target) {
    std::vector<uint8_t> packed;
    if (!tryResize(packed, entry.packedSize)) {
        pack.skip(entry.packedSize);
        return false;
    }
    if (!pack.read(packed.data(), entry.packedSize)) return false;
    std::vector<uint8_t> data;
    if (!decodeInto(packed, data, entry.unpackedSize)) return false;
    packed = {};

    std::unique_ptr<OpenedFile> out = createTarget(reader, target);
    if (!out) return false;
    bool written = out->write(data.data(), entry.unpackedSize);
    // The times go on last, so that writing the data does not replace them.
    out->setTimes(FileTimes{entry.creationTime, entry.lastWriteTime});
    return written;
}

bool writeStoredEntry(PackReader& reader, OpenedFile& pack, const PackEntry& entry, const std::string& target) {
    std::unique_ptr<OpenedFile> out = createTarget(reader, target);
    if (!out) {
        pack.skip(entry.packedSize);
        return false;
    }
    bool written = copyStored(pack, *out, entry.packedSize);
    out->setTimes(FileTimes{entry.creationTime, entry.lastWriteTime});
    return written;
}

// The per-entry step for the current entry. With `write` false (a held-back
// entry) its data is read past and nothing is written. The progress hook runs
// after every attempt to write a non-empty file, whether or not it succeeded.
bool writeEntry(PackReader& reader, OpenedFile& pack, const std::string& destination, bool write) {
    const PackEntry& entry = reader.entries[reader.current];
    std::string target = destination + entry.name;
    if (entry.unpackedSize == 0) return writeEmptyEntry(reader, entry, target, write);
    if (!write) {
        pack.skip(entry.packedSize);
        return false;
    }
    bool written = isStored(entry.packedSize, entry.unpackedSize)
                       ? writeStoredEntry(reader, pack, entry, target)
                       : writeCompressedEntry(reader, pack, entry, target);
    if (reader.progressHook) reader.progressHook();
    return written;
}

// An entry whose name would leave the destination folder: nothing is created,
// its data is read past so the following entries stay in step, and the
// progress hook still sees it, as for any file that could not be written.
void refuseUnsafeEntry(PackReader& reader, OpenedFile& pack) {
    const PackEntry& entry = reader.entries[reader.current];
    if (entry.type != kEntryFile || entry.unpackedSize == 0) return;
    pack.skip(entry.packedSize);
    if (reader.progressHook) reader.progressHook();
}

// Handles the current entry; false when it was held back or not written.
bool extractEntry(PackReader& reader, OpenedFile& pack, const std::string& destination, const std::string& keepExtensions) {
    const PackEntry& entry = reader.entries[reader.current];
    if (entry.type != kEntryFolder && entry.type != kEntryFile) return true;  // unknown types are ignored
    if (!isSafeEntryName(entry.name)) {
        refuseUnsafeEntry(reader, pack);
        return false;
    }
    std::string target = destination + entry.name;
    if (entry.type == kEntryFolder) {
        makeFolders(*reader.fs, target);
        return true;
    }
    if (isKeptExtension(keepExtensions, entry.name) && reader.fs->isFile(target)) {
        writeEntry(reader, pack, destination, false);
        return false;
    }
    makeFolders(*reader.fs, destination + pathPart(entry.name));
    return writeEntry(reader, pack, destination, true);
}

}  // namespace

bool openPack(PackReader& reader, const std::string& path, ProgressHook hook) {
    reader.entries.clear();
    reader.path = path;
    reader.progressHook = std::move(hook);
    reader.open = true;
    reader.totalUnpackedSize = 0;
    reader.dirUnpackedSize = 0;
    reader.dataStart = 0;
    reader.current = 0;
    if (!reader.fs) return false;

    int64_t size = reader.fs->fileSize(path);
    if (size <= 0) return false;
    std::unique_ptr<OpenedFile> file = reader.fs->openRead(path);
    if (!file) return false;
    return readDirectory(reader, *file, uint64_t(size));
}

bool extractPack(PackReader& reader, const std::string& destination, const std::string& keepExtensions) {
    bool result = true;
    std::string folder = destination;
    if (!endsWithSeparator(folder)) folder += '\\';
    if (!reader.fs) return result;
    std::unique_ptr<OpenedFile> pack = reader.fs->openRead(reader.path);
    if (!pack) return result;
    if (!reader.entries.empty() && !pack->seek(reader.dataStart)) return false;

    for (reader.current = 0; reader.current < reader.entries.size(); ++reader.current)
        if (!extractEntry(reader, *pack, folder, keepExtensions)) result = false;
    return result;
}

void closePack(PackReader& reader) { reader.open = false; }

void makeFolders(FileSystem& fs, const std::string& path) {
    if (fs.isFolder(path)) return;
    // From the root downwards; what follows the last separator is not a folder.
    for (size_t i = 1; i <= path.size(); ++i) {
        char last = path[i - 1];
        if (last != '\\' && last != '/') continue;
        std::string prefix = path.substr(0, i);
        if (!fs.isFolder(prefix)) fs.createFolder(prefix);
    }
}
