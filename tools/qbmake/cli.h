// The command line of qbmake, apart from main() so that tests can drive it.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// Runs one qbmake command. `args` are the words after the program name;
// `selfPath` is qbmake's own file (the default stub lies next to it).
// Exit codes: 0 done, 1 refused (with "qbmake: error: ..." on `err`), 2 usage.
int runQbmake(const std::vector<std::string>& args, const std::filesystem::path& selfPath, std::ostream& out,
              std::ostream& err);

// qbmake's own file, from the system where it tells, else from argv[0].
std::filesystem::path selfExecutable(const char* argv0);
