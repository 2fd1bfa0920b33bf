// The wizard's page moves and the handlers of its page controls.
#pragma once

// Moves one page on, skipping the licence and information pages when their
// editors are empty.
void nextPage();

// Moves one page back, with the same skipping.
void previousPage();

// Completes the install-folder field when it loses the focus.
void completeInstallFolder();

// Lets the user pick the install folder in the system's folder browser.
void browseInstallFolder();

// Completes the start-menu field when it loses the focus.
void completeStartMenuField();

// Lets the user pick the start-menu folder in the start-menu folder chooser.
void chooseStartMenuFolder();

// Greys out or enables the start-menu field and button by NoStartMenuCheck.
void applyNoStartMenuCheck();

// Opens the homepage address with the user's default handler.
void openHomepage();

// Runs the handler of a page control for a control event (`code` is the
// notification code: a click, or focus lost for the two fields). False when
// the control has no handler here.
bool handleNavigationEvent(int control, int code);
