// Files and folders with Windows semantics.
#pragma once

#include <string>

#include "payload/file_system.h"

// The FileSystem that Install.exe works on: ANSI paths, share modes as the
// pack and settings code ask for them.
FileSystem& windowsFileSystem();

// Removes a temporary folder the way the setup program always has: the files
// directly inside it (not those in subfolders, not read-only ones), then the
// folder itself when it has become empty.
void removeTemporaryFolder(const std::string& folder);
