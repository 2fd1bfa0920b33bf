#include "payload/settings_file.h"

#include <limits>

namespace {

// Far beyond any settings file; a bigger file is not loaded (and so never
// overwritten with a partial copy).
constexpr uint64_t maxSettingsFileSize = 64u * 1024 * 1024;

const std::string_view utf8Mark = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Names match ignoring the case of A-Z only, so 8-bit and UTF-8 bytes compare exactly.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// A line is already free of line ends and leading blanks, and not empty.
SettingsLine parseLine(std::string_view line) {
    if (line.front() == ';') {
        line.remove_prefix(1);
        if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        return {SettingsLineKind::Comment, std::string(line), {}};
    }
    if (line.front() == '[') {
        line.remove_prefix(1);
        return {SettingsLineKind::Group, std::string(line.substr(0, line.find(']'))), {}};
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {SettingsLineKind::Key, std::string(trimRight(line)), {}};
    return {SettingsLineKind::Key, std::string(trimRight(line.substr(0, eq))),
            std::string(trimLeft(line.substr(eq + 1)))};
}

// A written text must stay on its own line: a CR or LF in it would make the
// file read back with lines (even groups) that nobody wrote.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (isLineEnd(c)) c = ' ';
    return text;
}

// A name or value given by the program, in the file's own bytes.
std::string toFileText(const SettingsFile& file, const std::string& text) {
    return oneLine(file.utf8 ? latin1ToUtf8(text) : text);
}

// Where the current group's section (or the ungrouped part) begins.
size_t sectionStart(const SettingsFile& file) {
    return file.currentGroup ? *file.currentGroup + 1 : 0;
}

// Just past the section's last line: the next group line or the end.
size_t sectionEnd(const SettingsFile& file) {
    size_t i = sectionStart(file);
    while (i < file.lines.size() && file.lines[i].kind != SettingsLineKind::Group) ++i;
    return i;
}

std::optional<size_t> findKey(const SettingsFile& file, const std::string& fileKey) {
    if (file.pendingGroup) return std::nullopt;
    size_t end = sectionEnd(file);
    for (size_t i = sectionStart(file); i < end; ++i)
        if (file.lines[i].kind == SettingsLineKind::Key && sameName(file.lines[i].name, fileKey)) return i;
    return std::nullopt;
}

// The key's raw value as 8-bit text ("" when it does not convert), or none when absent.
std::optional<std::string> findValue(const SettingsFile& file, const std::string& key) {
    auto at = findKey(file, file.utf8 ? latin1ToUtf8(key) : key);
    if (!at) return std::nullopt;
    const std::string& value = file.lines[*at].value;
    if (!file.utf8) return value;
    return utf8ToLatin1(value).value_or(std::string());
}

// Reads the whole held file; false when it cannot be read completely.
bool readAll(OpenedFile& file, std::string& bytes) {
    uint64_t size = file.size();
    if (size > maxSettingsFileSize) return false;
    bytes.resize(size_t(size));
    return file.seek(0) && (size == 0 || file.read(bytes.data(), uint32_t(size)));
}

}  // namespace

SettingsText parseSettings(std::string_view bytes) {
    SettingsText text;
    if (bytes.substr(0, utf8Mark.size()) == utf8Mark) {
        text.utf8 = true;
        bytes.remove_prefix(utf8Mark.size());
    }
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = pos;
        while (end < bytes.size() && !isLineEnd(bytes[end])) ++end;
        // A line of nothing but blanks is as empty as a blank line.
        std::string_view line = trimLeft(bytes.substr(pos, end - pos));
        if (!line.empty()) text.lines.push_back(parseLine(line));
        pos = end;
        while (pos < bytes.size() && isLineEnd(bytes[pos])) ++pos;
    }
    return text;
}

std::string formatSettings(const SettingsText& text) {
    std::string out;
    if (text.utf8) out += utf8Mark;
    for (const SettingsLine& line : text.lines) {
        switch (line.kind) {
        case SettingsLineKind::Group: out += "[" + line.name + "]"; break;
        case SettingsLineKind::Comment: out += "; " + line.name; break;
        case SettingsLineKind::Key: out += line.name + " = " + line.value; break;
        }
        out += "\r\n";
    }
    return out;
}

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = uint8_t(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> utf8ToLatin1(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = uint8_t(text[i]);
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        // Code points 0x80-0xFF are exactly the two-byte forms led by C2 or C3;
        // every other lead byte is invalid or encodes a code point above 255.
        if ((c != 0xC2 && c != 0xC3) || i + 1 >= text.size()) return std::nullopt;
        auto next = uint8_t(text[i + 1]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        out += char(((c & 0x03) << 6) | (next & 0x3F));
        ++i;
    }
    return out;
}

bool openSettings(SettingsFile& file, FileSystem& fs, const std::string& path) {
    closeSettings(file);
    file.fs = &fs;
    file.path = path;
    bool writable = false;
    file.file = fs.openHeld(path, writable);
    if (!file.file) {
        // Only a file that is really missing may be created on closing; one
        // that exists but could not be opened must not be overwritten.
        file.writable = fs.fileSize(path) < 0;
        return false;
    }
    std::string bytes;
    if (!readAll(*file.file, bytes)) {
        file.writable = false;  // writing back would drop what could not be read
        return false;
    }
    file.writable = writable;
    SettingsText text = parseSettings(bytes);
    file.utf8 = text.utf8;
    file.lines = std::move(text.lines);
    return true;
}

bool selectGroup(SettingsFile& file, const std::string& name) {
    std::string fileName = file.utf8 ? latin1ToUtf8(name) : name;
    for (size_t i = 0; i < file.lines.size(); ++i) {
        if (file.lines[i].kind == SettingsLineKind::Group && sameName(file.lines[i].name, fileName)) {
            file.currentGroup = i;
            file.pendingGroup.reset();
            return true;
        }
    }
    file.currentGroup.reset();
    file.pendingGroup = name;
    return false;
}

std::string readString(SettingsFile& file, const std::string& key, const std::string& defaultText) {
    auto value = findValue(file, key);
    if (!value) return defaultText;
    return std::string(trimRight(trimLeft(*value)));
}

int32_t readNumber(SettingsFile& file, const std::string& key, int32_t defaultValue) {
    auto value = findValue(file, key);
    if (!value) return defaultValue;
    std::string_view s = *value;
    while (!s.empty() && (isBlank(s.front()) || s.front() == '\v' || s.front() == '\f' || isLineEnd(s.front())))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Accumulated as a magnitude that stops just past the 32-bit range, so an
    // over-long number reads as the nearest limit instead of wrapping round.
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min())
                                   : int64_t(std::numeric_limits<int32_t>::max());
    int64_t magnitude = 0;
    for (; !s.empty() && s.front() >= '0' && s.front() <= '9'; s.remove_prefix(1)) {
        magnitude = magnitude * 10 + (s.front() - '0');
        if (magnitude > limit) magnitude = limit;
    }
    return int32_t(negative ? -magnitude : magnitude);
}

void writeString(SettingsFile& file, const std::string& key, const std::string& value) {
    if (file.pendingGroup) {
        file.lines.push_back({SettingsLineKind::Group, toFileText(file, *file.pendingGroup), {}});
        file.currentGroup = file.lines.size() - 1;
        file.pendingGroup.reset();
    }
    std::string fileKey = toFileText(file, key);
    std::string fileValue = toFileText(file, value);
    if (auto at = findKey(file, fileKey)) {
        file.lines[*at].name = std::move(fileKey);
        file.lines[*at].value = std::move(fileValue);
    } else {
        // Inserting at or after the current group line never moves it.
        file.lines.insert(file.lines.begin() + std::ptrdiff_t(sectionEnd(file)),
                          SettingsLine{SettingsLineKind::Key, std::move(fileKey), std::move(fileValue)});
    }
    file.changed = true;
}

void writeNumber(SettingsFile& file, const std::string& key, int32_t value) {
    writeString(file, key, std::to_string(value));
}

void closeSettings(SettingsFile& file) {
    if (!file.fs) return;
    if (file.changed && file.writable) {
        if (!file.file) file.file = file.fs->createHeld(file.path);
        if (file.file) {
            std::string bytes = formatSettings(SettingsText{file.utf8, file.lines});
            bool written = file.file->seek(0) &&
                           (bytes.empty() || file.file->write(bytes.data(), uint32_t(bytes.size())));
            if (written) file.file->truncateHere();
        }
    }
    file = SettingsFile{};
}
