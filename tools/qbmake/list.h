// `qbmake list`: the entries of an installer's payload or of a pack file.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// Lists the pack in `path`; when it carries a stored setup.pck, lists that
// program pack too. False with `error` ("PATH: why") when a pack is damaged.
bool listPackFile(const std::string& path, std::ostream& out, std::string& error);

// A FILETIME as "YYYY-MM-DD hh:mm:ss" (UTC).
std::string formatFileTime(uint64_t fileTime);
