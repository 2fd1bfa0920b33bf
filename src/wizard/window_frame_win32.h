// What the setup's own windows share: their class, their place on the screen
// and the loop of a window that waits for the user's decision.
#pragma once

#include <windows.h>

// Registers a top-level window class with the arrow cursor and the dialog
// background; true when it is registered (now or before).
bool registerDialogClass(HINSTANCE instance, const char* name, WNDPROC procedure);

// The outer rectangle of a window with `style` whose client area is
// clientWidth × clientHeight, centred on the screen.
RECT centredWindowFrame(int clientWidth, int clientHeight, DWORD style);

// Runs the messages of the calling thread, with the dialog keys for `window`,
// until `done` is set. A quit request belongs to the main loop: it is handed
// back (posted again) and ends this loop too.
void runDialogLoop(HWND window, const bool& done);
