// The line-based settings syntax shared by setup.ini, the language files and
// uninstall.dat, and the one-file-at-a-time component that reads and writes it.
// The parser and writer work on bytes only; file access goes through FileSystem.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "payload/file_system.h"

enum class SettingsLineKind { Group, Comment, Key };

// One non-blank line of a settings file, its texts as the file's own bytes
// (UTF-8 in a file with the byte-order mark).
struct SettingsLine {
    SettingsLineKind kind = SettingsLineKind::Key;
    std::string name;    // group name, comment text, or key
    std::string value;   // key lines only; trailing blanks kept as read
};

// A file's content as parsed.
struct SettingsText {
    bool utf8 = false;                // began with EF BB BF
    std::vector<SettingsLine> lines;  // in file order, blank lines dropped
};

// Splits a file's bytes into lines.
SettingsText parseSettings(std::string_view bytes);
// The bytes written back for a line list: "[name]", "; text", "key = value",
// each ended by CR LF, after the byte-order mark in UTF-8 mode.
std::string formatSettings(const SettingsText& text);

// 8-bit text (code points 0-255) to UTF-8.
std::string latin1ToUtf8(std::string_view text);
// UTF-8 back to 8-bit text; none for invalid UTF-8 or a code point above 255.
std::optional<std::string> utf8ToLatin1(std::string_view text);

// The one settings file the program has open at a time.
struct SettingsFile {
    std::string path;                     // the file, as given to openSettings
    FileSystem* fs = nullptr;             // where it lives; none while closed
    std::unique_ptr<OpenedFile> file;     // held open until closed; none when missing
    bool writable = false;                // whether the write-back may go ahead
    bool utf8 = false;                    // began with the byte-order mark
    bool changed = false;                 // set by every write
    std::vector<SettingsLine> lines;      // in file order, blank lines dropped
    std::optional<size_t> currentGroup;   // index of the group line; none = ungrouped part
    std::optional<std::string> pendingGroup;  // selected but missing; added on the first write
};

// Closes any file already open (writing it back), then reads `path`. False
// when there is no file to read; writes then create it on closing.
bool openSettings(SettingsFile& file, FileSystem& fs, const std::string& path);
// True when a group of that name exists (ASCII case ignored); else the name is
// pending and reads give their defaults until a write adds the group.
bool selectGroup(SettingsFile& file, const std::string& name);
// The key's value, spaces and tabs trimmed; `defaultText` when the key is absent.
std::string readString(SettingsFile& file, const std::string& key, const std::string& defaultText);
// The value's leading decimal number (0 without digits); `defaultValue` when absent.
int32_t readNumber(SettingsFile& file, const std::string& key, int32_t defaultValue);
// Replaces the key's value in place, or adds the key at the end of the group.
void writeString(SettingsFile& file, const std::string& key, const std::string& value);
void writeNumber(SettingsFile& file, const std::string& key, int32_t value);
// Writes the file back when it changed (failures are silent), then releases it.
void closeSettings(SettingsFile& file);
