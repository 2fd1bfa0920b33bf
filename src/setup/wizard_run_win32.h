// The wizard mode of a run: building and filling the wizard, its event loop,
// and the handling of the events that end it.
#pragma once

// Wizard start, the event loop until Cancel, Finish or a close request, and
// the finish steps; returns when the process is about to end.
void RunWizard();

// Builds the wizard with the title from the configuration and fills it. False
// when the window cannot be built (no wizard runs then).
bool startWizard();

// Waits for window events and handles them until QuitRequested is set; then
// frees the images and closes the window.
void runWizardEventLoop();

// One control event of the wizard (`control` its number, `code` the
// notification code), as the window callback receives it.
void handleWizardEvent(int control, int code);

// The wizard window was asked to close (Alt+F4 or a close message).
void handleWizardClose();
