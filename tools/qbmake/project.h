// Reading a project folder: the files and sub-folders that become pack
// entries, with their pack names and times, and the one setting qbmake needs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "payload/file_system.h"

// One file or sub-folder of the project, as it goes into a pack.
struct SourceEntry {
    std::string name;             // pack name: code-page text, '\' between folders, a folder's ends in '\'
    bool folder = false;          // a sub-folder rather than a file
    std::filesystem::path path;   // where it lies on disk
    uint64_t size = 0;            // a file's size in bytes
    FileTimes times;              // FILETIME values taken from the disk
};

// Collects everything below `root`, sorted by pack name in byte order (so a
// folder comes right before its contents). A top-level entry named
// `skipTopLevel` is left out. False with `error` ("PATH: why") for a name the
// code page cannot hold or Windows cannot create, two names that differ only
// in letter case, a file of 4 GiB or more, or something that is neither a
// file nor a folder.
bool scanTree(const std::filesystem::path& root, const std::string& skipTopLevel, std::vector<SourceEntry>& entries,
              std::string& error);

// Why Windows could not hold a file named `component` (UTF-8), or "".
std::string windowsNameProblem(std::string_view component);

// A file time as FILETIME (100-ns intervals since 1601-01-01 UTC).
uint64_t fileTimeOf(std::filesystem::file_time_type time);

// `[Settings] Split` of a setup.ini's bytes, read as the installer reads an
// on/off setting (the low 8 bits of its leading number).
bool readSplitFlag(std::string_view setupIni);
