#include "list.h"

#include <cstdio>

#include "code_page.h"
#include "disk_file_system.h"
#include "payload/pack_reader.h"

namespace {

const char* const kProgramPackName = "setup.pck";

std::string typeName(uint32_t type) {
    if (type == kEntryFolder) return "folder";
    if (type == kEntryFile) return "file";
    return "type " + std::to_string(type);
}

bool isProgramPackName(const std::string& name) {
    if (name.size() != 9) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i] >= 'A' && name[i] <= 'Z' ? char(name[i] + 32) : name[i];
        if (c != kProgramPackName[i]) return false;
    }
    return true;
}

void printEntries(const PackReader& reader, const std::string& title, std::ostream& out) {
    out << title << ": " << reader.entries.size() << " entries, " << reader.totalUnpackedSize
        << " bytes unpacked, data from offset " << reader.dataStart << "\n";
    char line[128];
    std::snprintf(line, sizeof line, "  %-7s %12s %12s  %-19s  %s\n", "type", "size", "packed", "written (UTC)", "name");
    out << line;
    for (const PackEntry& e : reader.entries) {
        std::snprintf(line, sizeof line, "  %-7s %12u %12u  %-19s  ", typeName(e.type).c_str(), unsigned(e.unpackedSize),
                      unsigned(e.packedSize), formatFileTime(e.lastWriteTime).c_str());
        out << line << windows1252ToUtf8(e.name) << "\n";
    }
}

// Where the stored program pack lies in the file, found the way extraction
// walks the data area; false when there is none to list.
bool findProgramPack(const PackReader& reader, uint64_t& offset, uint32_t& size) {
    uint64_t position = reader.dataStart;
    for (const PackEntry& e : reader.entries) {
        bool hasData = e.type == kEntryFile && e.unpackedSize != 0;
        if (hasData && isProgramPackName(e.name) && e.packedSize == e.unpackedSize) {
            offset = position;
            size = e.packedSize;
            return true;
        }
        if (hasData) position += e.packedSize;
    }
    return false;
}

}  // namespace

std::string formatFileTime(uint64_t fileTime) {
    int64_t seconds = int64_t(fileTime / 10000000) - 11644473600;  // since 1970-01-01
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    int64_t secondOfDay = seconds - days * 86400;
    // Days to a civil date (proleptic Gregorian calendar).
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t mp = (5 * dayOfYear + 2) / 153;
    int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    int64_t year = yearOfEra + era * 400 + (month <= 2);
    char text[80];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", (long long)year, (long long)month,
                  (long long)day, (long long)(secondOfDay / 3600), (long long)(secondOfDay / 60 % 60),
                  (long long)(secondOfDay % 60));
    return text;
}

bool listPackFile(const std::string& path, std::ostream& out, std::string& error) {
    ReadOnlyDiskFileSystem disk;
    PackReader reader;
    reader.fs = &disk;
    if (disk.fileSize(path) < 0) {
        error = path + ": no such file";
        return false;
    }
    if (!openPack(reader, path, nullptr)) {
        error = path + ": not a pack, or a damaged one";
        return false;
    }
    printEntries(reader, path, out);

    uint64_t offset = 0;
    uint32_t size = 0;
    if (!findProgramPack(reader, offset, size)) return true;
    const std::string inner = path + " > setup.pck";
    disk.addSlice(inner, path, offset, size);
    PackReader program;
    program.fs = &disk;
    if (!openPack(program, inner, nullptr)) {
        error = inner + ": not a pack, or a damaged one";
        return false;
    }
    out << "\n";
    printEntries(program, inner, out);
    return true;
}
