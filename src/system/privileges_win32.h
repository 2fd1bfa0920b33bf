// Administrator rights and the logon used when the setup lacks them.
#pragma once

// True when the service control manager of this machine opens with the rights
// that only administrators hold.
bool isAdmin();
