// Trailer and directory of a pack, as bytes. Every read here is bounds-checked:
// a damaged directory is refused as a whole, never half-parsed.
#include "payload/pack_format.h"

#include <algorithm>

namespace {

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeU32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

void appendU32(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    writeU32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

// The smallest record: an empty name (its NUL alone) and the eight fields.
constexpr size_t kSmallestRecord = 1 + kEntryFixedSize;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Names Windows maps to devices in every folder ("con", "aux.txt", "LPT1 ").
bool isDeviceName(const std::string& component) {
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    bool numbered = base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0);
    return numbered && base[3] >= '1' && base[3] <= '9';
}

// A component of dots and blanks only: Windows trims trailing dots and blanks,
// so ".. " or "..." could end up naming the parent folder.
bool isDotsOnly(const std::string& component) {
    return !component.empty() && component.find_first_not_of(". ") == std::string::npos;
}

}  // namespace

bool parseTrailer(const uint8_t* last16, PackTrailer& trailer) {
    trailer.dirUnpackedSize = readU32(last16);
    trailer.dirPackedSize = readU32(last16 + 4);
    trailer.dataStart = readU32(last16 + 8);
    trailer.magic = readU32(last16 + 12);
    return trailer.magic == kPackMagic;
}

void serializeTrailer(const PackTrailer& trailer, uint8_t* out16) {
    writeU32(out16, trailer.dirUnpackedSize);
    writeU32(out16 + 4, trailer.dirPackedSize);
    writeU32(out16 + 8, trailer.dataStart);
    writeU32(out16 + 12, trailer.magic);
}

bool parseDirectory(const uint8_t* data, size_t size, std::vector<PackEntry>& entries) {
    entries.clear();
    if (size < 4) return false;
    int32_t count = int32_t(readU32(data));
    if (count <= 0) return true;
    // Refuse a count the bytes cannot hold before reserving room for it.
    if (size_t(count) > (size - 4) / kSmallestRecord) return false;
    entries.reserve(size_t(count));

    size_t pos = 4;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* nameStart = data + pos;
        const uint8_t* nul = std::find(nameStart, data + size, uint8_t(0));
        if (nul == data + size) { entries.clear(); return false; }
        pos = size_t(nul - data) + 1;
        if (size - pos < kEntryFixedSize) { entries.clear(); return false; }

        PackEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(nameStart), size_t(nul - nameStart));
        const uint8_t* f = data + pos;
        entry.type = readU32(f);
        entry.unpackedSize = readU32(f + 4);
        entry.packedSize = readU32(f + 8);
        entry.dataOffset = readU32(f + 12);
        entry.creationTime = uint64_t(readU32(f + 16)) | uint64_t(readU32(f + 20)) << 32;
        entry.lastWriteTime = uint64_t(readU32(f + 24)) | uint64_t(readU32(f + 28)) << 32;
        pos += kEntryFixedSize;
        entries.push_back(std::move(entry));
    }
    return true;
}

std::vector<uint8_t> serializeDirectory(const std::vector<PackEntry>& entries) {
    std::vector<uint8_t> out;
    appendU32(out, uint32_t(entries.size()));
    for (const PackEntry& e : entries) {
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(0);
        appendU32(out, e.type);
        appendU32(out, e.unpackedSize);
        appendU32(out, e.packedSize);
        appendU32(out, e.dataOffset);
        appendU32(out, uint32_t(e.creationTime));
        appendU32(out, uint32_t(e.creationTime >> 32));
        appendU32(out, uint32_t(e.lastWriteTime));
        appendU32(out, uint32_t(e.lastWriteTime >> 32));
    }
    return out;
}

bool isSafeEntryName(const std::string& name) {
    // An empty name is the destination folder itself, not something inside it.
    if (name.empty() || isSeparator(name[0])) return false;
    if (name.find(':') != std::string::npos) return false;  // drives, streams
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) ++end;
        std::string component = name.substr(start, end - start);
        if (isDotsOnly(component) || isDeviceName(component)) return false;
        start = end + 1;
    }
    return true;
}

std::string entryExtension(const std::string& name) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) return "";
    if (name.find_first_of("\\/", dot) != std::string::npos) return "";
    return name.substr(dot + 1);
}

bool isKeptExtension(const std::string& keepExtensions, const std::string& name) {
    if (keepExtensions.empty()) return false;
    std::string extension = entryExtension(name);
    // A name without an extension is never held back, even by an empty field.
    if (extension.empty()) return false;
    size_t fields = size_t(std::count(keepExtensions.begin(), keepExtensions.end(), '|'));
    if (fields == 0) fields = 1;
    size_t start = 0;
    for (size_t i = 0; i < fields && start <= keepExtensions.size(); ++i) {
        size_t bar = keepExtensions.find('|', start);
        if (bar == std::string::npos) bar = keepExtensions.size();
        if (keepExtensions.compare(start, bar - start, extension) == 0) return true;
        start = bar + 1;
    }
    return false;
}
