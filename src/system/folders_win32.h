// Special folders, registry strings and folder creation through the real
// system; the text rules they use are in system/folders.h.
#pragma once

#include <cstdint>
#include <string>

#include "system/folders.h"

struct HKEY__;

// The folder of a code (see FolderCode), ending in '\', or "" when unknown.
std::string specialFolder(int32_t code);

// The publisher's path with its path variables replaced by the real folders.
std::string expandPath(const std::string& text, bool relativeToProgramFiles);

// The text of a registry value below a predefined root key (HKEY_CURRENT_USER,
// ...); "" when the key or value cannot be read or does not fit 255 bytes.
std::string readRegString(HKEY__* root, const std::string& keyPath, const std::string& valueName);

// The folder of the PureBasic development product from its registered open
// command, or "".
std::string pureBasicFolder();

// Creates every missing folder along the path; true when it all exists afterwards.
bool createPath(const std::string& path);
