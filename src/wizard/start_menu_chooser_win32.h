// The start-menu folder chooser window: a tree of the folders below the
// Programs folder of the current user or of all users, from which the user
// picks the folder for the product's start-menu entries.
#pragma once

#include <string>

#include "wizard/start_menu_chooser.h"

struct HWND__;

// Control IDs of StartMenuWindow, so tests and window inspectors can find them.
enum StartMenuWindowControl {
    FolderApplyButton = 70,  // takes the selected folder
    FolderTree = 71,         // the folders of the chosen scope
    CurrentUserOption = 72,  // scope: the current user's Programs folder
    AllUsersOption = 73,     // scope: the all-users Programs folder
};

// The window class of StartMenuWindow (its title comes from the string table).
inline constexpr char startMenuWindowClass[] = "StartMenuWindow";

// Shows StartMenuWindow over `wizard` (disabled meanwhile; null centres the
// chooser on the screen) with the folder named by `startMenuFieldText`
// preselected, and waits in its own message loop. Returns the chosen folder
// relative to its Programs folder, "|" and that Programs folder (ending in
// '\'), such as "Games\Cards|C:\...\Programs\"; "" when the window was closed,
// Apply found no selection (after the error message), or the window could not
// be created.
std::string showStartMenuChooser(HWND__* wizard, const std::string& startMenuFieldText);

