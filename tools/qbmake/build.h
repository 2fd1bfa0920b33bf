// `qbmake build`: a project folder to an installer. The top level of the
// folder (all but files/) becomes the payload; files/ becomes the program pack
// setup.pck, carried in the payload or, with [Settings] Split=1, written next
// to the installer as a .pkj file. The payload is appended to a copy of the
// stub (Install.exe). Nothing is left half-written: every output is written
// under a temporary name and renamed at the end.
#pragma once

#include "block_encoder.h"

#include <filesystem>
#include <ostream>
#include <string>

#include "code_page.h"

struct BuildOptions {
    std::filesystem::path project;      // the project folder
    std::filesystem::path output;       // the installer to write
    std::filesystem::path stub;         // the Install.exe the payload is appended to
    int codePage = kDefaultCodePage;    // of the names in the packs
    int level = kDefaultLevel;          // compression: 1 fastest .. 9 smallest, 0 stores
    std::ostream* progress = nullptr;   // one line per phase, or none when quiet
};

// False with `error` ("PATH: why") when the installer cannot be built.
bool buildInstaller(const BuildOptions& options, std::string& error);

// The split program pack's path: the installer's with every ".exe" in its file
// name replaced by ".pkj", as the installer derives it; "" when there is none.
std::filesystem::path splitPackPath(const std::filesystem::path& output);

// Why `bytes` (the start of a file, or all of it) is no PE executable, or "".
std::string peProblem(const std::string& bytes);
