#pragma once

// Enables SeShutdownPrivilege in the process token (needed before other
// processes are terminated). True when the privilege could be enabled.
bool EnableShutdownPrivilege();
