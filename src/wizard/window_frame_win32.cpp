#include "wizard/window_frame_win32.h"

bool registerDialogClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
    WNDCLASSEXA windowClass = {};
    if (GetClassInfoExA(instance, name, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

RECT centredWindowFrame(int clientWidth, int clientHeight, DWORD style) {
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{x, y, x + width, y + height};
}

void runDialogLoop(HWND window, const bool& done) {
    MSG msg;
    while (!done) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // Tab, arrows, Enter for the default button.
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}
