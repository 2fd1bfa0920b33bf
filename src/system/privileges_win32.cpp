#include "system/privileges_win32.h"

#include <windows.h>

bool isAdmin() {
    // STANDARD_RIGHTS_REQUIRED | SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE
    // | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_LOCK.
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, 0xF000F);
    if (!manager) return false;
    CloseServiceHandle(manager);
    return true;
}
