// The one run-state record of the setup program.
#pragma once

#include <cstdint>
#include <string>

struct ProgramHandle;  // a started program kept for its exit code

struct SetupState {
    std::string ExePath;          // full path of the running program file
    std::string SetupExeDir;      // folder of ExePath, ending in '\'
    std::string SetupTmpDir;      // temporary folder + GUID text + '\'
    std::string SetupIniPath;     // SetupTmpDir + "setup.ini"
    bool QuietMode = false;       // /Q: update mode instead of the wizard
    std::string ParamInstallDir;  // /P: overrides the install folder
    std::string ParamStartMenu;   // /S: overrides the start-menu folder
    int8_t RunMode = 1;           // /R: which of BeforeSetup and AfterSetup run
    std::string LanguageFile;     // chosen language file inside SetupTmpDir
    std::string InstallDir;       // install folder ending in '\', set when installing
    void* LogonToken = nullptr;   // token of a successful administrator logon
    bool LoggedOnAsAdmin = false; // the administrator login succeeded in this run
    int8_t CurrentPage = 1;       // wizard page 1-5
    bool Cancelled = false;       // the Cancel button ended the wizard
    bool QuitRequested = false;   // ends the wizard's event loop
    ProgramHandle* WhileProgram = nullptr;  // the running WhileSetup program
    uint32_t ProgressTotal = 0;   // bytes written so far by the program-file copy
};
