#include "project.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "code_page.h"
#include "payload/pack_format.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kFourGiB = uint64_t(1) << 32;

std::string utf8Of(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string describe(const fs::path& path, const std::string& why) { return utf8Of(path) + ": " + why; }

// Case folding as Windows file names see it, for the letters 1252 holds.
std::string foldCase(const std::string& name) {
    std::string out = name;
    for (char& ch : out) {
        uint8_t c = uint8_t(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) ch = char(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E) ch = char(c - 0x10);  // š œ ž
        else if (c == 0xFF) ch = char(0x9F);                                 // ÿ
    }
    return out;
}

FileTimes timesOf(const fs::directory_entry& entry) {
    std::error_code ec;
    fs::file_time_type written = entry.last_write_time(ec);
    // Linux keeps no creation time, so a file's creation time is its last-write time.
    uint64_t time = ec ? 0 : fileTimeOf(written);
    return FileTimes{time, time};
}

struct Scan {
    std::vector<SourceEntry>& entries;
    std::string& error;
};

bool scanFolder(Scan& scan, const fs::path& folder, const std::string& prefix, const std::string& skip);

// Adds one directory entry (and, for a folder, what it holds).
bool scanEntry(Scan& scan, const fs::directory_entry& entry, const std::string& prefix, const std::string& skip) {
    std::string component = utf8Of(entry.path().filename());
    if (prefix.empty() && component == skip) return true;
    std::string problem = windowsNameProblem(component);
    if (!problem.empty()) { scan.error = describe(entry.path(), problem); return false; }
    std::optional<std::string> name = utf8ToWindows1252(component);
    if (!name) {
        scan.error = describe(entry.path(), "the name cannot be written in code page 1252");
        return false;
    }

    std::error_code ec;
    if (entry.is_directory(ec)) {
        if (entry.is_symlink(ec)) {
            scan.error = describe(entry.path(), "a link to a folder is not followed; copy the folder instead");
            return false;
        }
        scan.entries.push_back(SourceEntry{prefix + *name + "\\", true, entry.path(), 0, timesOf(entry)});
        return scanFolder(scan, entry.path(), prefix + *name + "\\", skip);
    }
    if (!entry.is_regular_file(ec)) {
        bool dangling = entry.is_symlink(ec) && !entry.exists(ec);
        scan.error = describe(entry.path(), dangling ? "cannot read: a link to nothing" : "not a file or folder");
        return false;
    }
    uint64_t size = entry.file_size(ec);
    if (ec) { scan.error = describe(entry.path(), "cannot read its size"); return false; }
    if (size >= kFourGiB) { scan.error = describe(entry.path(), "a file of 4 GiB or more cannot go into a pack"); return false; }
    scan.entries.push_back(SourceEntry{prefix + *name, false, entry.path(), size, timesOf(entry)});
    return true;
}

bool scanFolder(Scan& scan, const fs::path& folder, const std::string& prefix, const std::string& skip) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) { scan.error = describe(folder, "cannot read the folder"); return false; }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (!scanEntry(scan, *it, prefix, skip)) return false;
    }
    if (ec) { scan.error = describe(folder, "cannot read the folder"); return false; }
    return true;
}

// Windows would make two names that differ only in letter case one file.
bool findCaseClash(const std::vector<SourceEntry>& entries, std::string& error) {
    std::map<std::string, const SourceEntry*> seen;
    for (const SourceEntry& e : entries) {
        auto [it, added] = seen.emplace(foldCase(e.name), &e);
        if (!added) {
            error = describe(e.path, "differs only in letter case from " + utf8Of(it->second->path) +
                                         ", and Windows would make them one file");
            return true;
        }
    }
    return false;
}

std::string_view trimLeading(std::string_view s) {
    size_t start = s.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : s.substr(start);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The leading decimal number of a value, wrapping like a 32-bit integer.
int32_t leadingNumber(std::string_view value) {
    value = trimLeading(value);
    bool negative = !value.empty() && value[0] == '-';
    if (!value.empty() && (value[0] == '-' || value[0] == '+')) value.remove_prefix(1);
    uint32_t n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') break;
        n = n * 10 + uint32_t(c - '0');
    }
    return int32_t(negative ? 0u - n : n);
}

}  // namespace

bool scanTree(const fs::path& root, const std::string& skipTopLevel, std::vector<SourceEntry>& entries,
              std::string& error) {
    entries.clear();
    Scan scan{entries, error};
    if (!scanFolder(scan, root, "", skipTopLevel)) return false;
    std::sort(entries.begin(), entries.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.name < b.name; });
    for (const SourceEntry& e : entries) {
        if (!isSafeEntryName(e.name)) {  // the installer would refuse it
            error = describe(e.path, "the installer would refuse this name");
            return false;
        }
    }
    return !findCaseClash(entries, error);
}

std::string windowsNameProblem(std::string_view component) {
    for (char c : component) {
        if (uint8_t(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            return "the name holds a character Windows does not allow in file names";
    }
    if (!component.empty() && (component.back() == '.' || component.back() == ' '))
        return "the name ends in a dot or a blank, which Windows drops";
    if (!isSafeEntryName(std::string(component)))
        return "the name is reserved on Windows";
    return "";
}

uint64_t fileTimeOf(fs::file_time_type time) {
    using namespace std::chrono;
    using Ticks = duration<int64_t, std::ratio<1, 10000000>>;
    constexpr int64_t kUnixEpochAsFileTime = 116444736000000000;  // 1970-01-01 in 100-ns units since 1601
    int64_t ticks = floor<Ticks>(file_clock::to_sys(time).time_since_epoch()).count() + kUnixEpochAsFileTime;
    return ticks < 0 ? 0 : uint64_t(ticks);
}

bool readSplitFlag(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inSettings = false;
    bool settingsSeen = false;
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = trimLeading(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            // Only the first [Settings] group is ever searched.
            if (inSettings) break;
            std::string_view name = line.substr(1, line.find(']') - 1);
            inSettings = !settingsSeen && equalsIgnoringAsciiCase(name, "Settings");
            settingsSeen = settingsSeen || inSettings;
            continue;
        }
        if (!inSettings) continue;
        size_t equals = line.find('=');
        std::string_view key = line.substr(0, equals);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        if (!equalsIgnoringAsciiCase(key, "Split")) continue;
        std::string_view value = equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
        return (uint32_t(leadingNumber(value)) & 0xFF) != 0;
    }
    return false;
}
