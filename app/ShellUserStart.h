#pragma once
// Starting a program with the signed-in user's normal rights from the
// elevated installer.
#include <string>

// Starts program (exactly this path, no search) with the desktop shell's own
// token, duplicated as a primary token, in the program's folder. Logs which
// way it went; when no such token can be had the program is not started at
// all (never with the installer's rights) and false is returned.
bool StartAsShellUser(const std::wstring& program);
