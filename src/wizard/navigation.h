// The text rules of the wizard's folder fields and buttons, free of any
// system call, so they are tested natively and used by the window code as is.
#pragma once

#include <string>

// The install-folder field after it lost the focus: a '\' is added, then the
// product's folder name unless the text already holds it somewhere
// (case-sensitive; an empty name never counts as held).
std::string completeInstallFolderText(const std::string& fieldText, const std::string& defaultFolderName);

// The folder the folder browser starts in: the default install folder with a
// trailing '\' removed when it is longer than 3 characters (so "C:\" stays).
std::string browserStartFolder(const std::string& installDirDefault);

// The install-folder field after browsing to `chosen` (ending in '\'): the
// product's folder name is added unless `chosen` already ends with it, with or
// without a final '\'. "" when the browser was cancelled (the field keeps its text).
std::string browsedInstallFolderText(const std::string& chosen, const std::string& defaultFolderName);

// The start-menu field after it lost the focus: empty gives `startMenuFolder`;
// a text that holds `startMenuFolder` stays; anything else gets '\' and
// `startMenuFolder` added.
std::string completeStartMenuFieldText(const std::string& fieldText, const std::string& startMenuFolder);

// The last folder name of a relative path: the text after the last '\', a
// trailing '\' ignored; the whole text when it holds no '\'.
std::string lastFolderName(const std::string& path);

// What a choice in the start-menu folder chooser changes.
struct StartMenuChoice {
    std::string FieldText;  // new text of the start-menu field, ending in '\'
    std::string Path;       // new full start-menu path, ending in '\'
};

// Turns the chooser's result ("relative|Programs folder") into the new field
// text and path; the product's own folder name is kept at the end of the
// chosen folder. False (nothing changes) when the relative part is empty.
bool chosenStartMenuFolder(const std::string& chooserResult, const std::string& startMenuFolder,
                           StartMenuChoice& choice);

// True when the main program's name has the extension "exe" in any case; only
// then are the desktop icon and the start of the program at the end offered.
bool isExeProgram(const std::string& progExe);

// The name of the main program up to its first '.', the start-menu folder
// offered when setup.ini names none.
std::string nameBeforeFirstDot(const std::string& progExe);
