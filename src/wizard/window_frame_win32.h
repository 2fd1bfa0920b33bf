// What the setup's own windows share: their class and their place on the screen.
#pragma once

#include <windows.h>

// Registers a top-level window class with the arrow cursor and the dialog
// background; true when it is registered (now or before).
bool registerDialogClass(HINSTANCE instance, const char* name, WNDPROC procedure);

// The outer rectangle of a window with `style` whose client area is
// clientWidth × clientHeight, centred on the screen.
RECT centredWindowFrame(int clientWidth, int clientHeight, DWORD style);
