// The one installer configuration of the run, read from the extracted
// setup.ini, the current user's remembered choices and the command line.
#pragma once

#include "setup/installer_config.h"

extern InstallerConfig Config;  // the one configuration record

// Start-up's pass: reads Setup.SetupIniPath into Config through Settings.
void ReadStartupConfig();

// The wizard's and the update mode's pass: the remembered choices of
// Config.GUID from HKEY_CURRENT_USER, the rest of setup.ini, and the
// resolution of the install and start-menu folders with /P and /S.
void ReadInstallerConfig();

// The values remembered under HKEY_CURRENT_USER for a product GUID.
RememberedChoices readRememberedChoices(const std::string& guid);
