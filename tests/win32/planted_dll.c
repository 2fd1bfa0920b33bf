/* A DLL that an attacker could drop next to a downloaded installer. When any
   process loads it, it leaves a marker file named after itself in the temporary
   folder, so a test can tell that it was loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH], temp[MAX_PATH], marker[2 * MAX_PATH];
        GetModuleFileNameA(self, path, MAX_PATH);
        const char* name = path;
        for (const char* p = path; *p; ++p)
            if (*p == '\\' || *p == '/') name = p + 1;
        GetTempPathA(MAX_PATH, temp);
        wsprintfA(marker, "%splanted-%s.txt", temp, name);
        HANDLE h = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    return TRUE;
}
