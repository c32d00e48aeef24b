#pragma once
// Folders that only administrators and SYSTEM can write. What the elevated
// installer runs must come from such a folder: anything a standard user can
// write is untrusted.
#include "support/Handles.h"

#include <windows.h>
#include <string>

// The descriptor such a folder is created with: owned by Administrators, a
// protected list (nothing inherited from the parent) that grants full access
// to SYSTEM and Administrators only, passed on to everything made inside.
extern const wchar_t kAdminOnlyFolderSddl[];

// Creates the folder, which must not exist yet; 0 or the system error code.
DWORD CreateAdminOnlyFolder(const std::wstring& path);

// Opens the folder so that nobody can rename or remove it while the handle
// lives; empty when it cannot be opened.
KernelHandle PinFolder(const std::wstring& path);

// Removes the folder and the files directly in it. Links are never followed:
// a folder that is itself a link is left alone and a linked entry inside only
// loses its link. False when the folder is pinned by a live run, is not a
// plain folder, or keeps entries that were not removed (read-only files,
// subfolders).
bool RemoveFolderAndFiles(const std::wstring& path);
