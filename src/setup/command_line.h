// Reading the setup program's own command line.
#pragma once

#include <string>
#include <vector>

#include "setup/setup_state.h"

// Splits the parameters (everything after the program path) into words: words are
// separated by spaces, and a word that begins with '"' runs to the next '"'
// without the quotes. The list ends at the first empty word.
std::vector<std::string> splitParameters(const std::string& parameters);

// The part of a full command line after the program path (quoted or not).
std::string parametersOf(const std::string& commandLine);

// Applies /Q, /P, /S and /R to the state; other words are ignored.
void parseCommandLine(const std::string& parameters, SetupState& state);

// Leading decimal number as the setup program reads numbers everywhere: blanks
// and tabs skipped, one optional sign, digits up to the first other character.
long long leadingNumber(const std::string& text);
