// Start-up of the setup program: command line, temporary folder, environment,
// and the extraction of the program's own payload.
#pragma once

#include <string>

#include "payload/pack_reader.h"
#include "payload/settings_file.h"
#include "setup/setup_state.h"

struct HICON__;

extern SetupState Setup;       // the one run-state record
extern PackReader Packs;       // the one pack reader
extern SettingsFile Settings;  // the one settings file open at a time
extern HICON__* HeaderImage;   // image 1: the header icon (built in until the payload brings one)

// The start-up error message; tests put a recorder in its place.
extern void (*showStartupError)();

// A fresh GUID in registry form: 38 characters, braces, upper-case hex digits.
std::string NewGuidText();

// Steps from the command line up to the extracted payload. `parameters` is the
// command line after the program path. False when the payload could not be
// extracted completely (the start-up error message has been shown then).
bool StartUp(const std::string& parameters);

// The whole run, from start-up to the point where the process may end.
void RunSetup(const std::string& parameters);

// Releases what the run holds before the process ends.
void EndSetup();
