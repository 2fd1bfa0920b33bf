// Entry of Install.exe.
#include <windows.h>
#include <objbase.h>

#include "setup/command_line.h"
#include "setup/startup_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Libraries only from the system folder, never from the folder the
    // installer was downloaded to.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    CoInitialize(nullptr);
    RunSetup(parametersOf(GetCommandLineA()));
    EndSetup();
    CoUninitialize();
    // Every path ends the same way.
    ExitProcess(0);
}
