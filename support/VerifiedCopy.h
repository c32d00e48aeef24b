#pragma once
// Copying a file while taking its MD5, so that the digest describes exactly
// the bytes of the copy: what was verified is what runs.
#include "support/Handles.h"

#include <windows.h>
#include <string>

// Opens a file for reading such that nobody can write, rename or delete it
// while the handle lives. A file another program holds open for writing is
// tried again a few times, half a second apart; error holds the system
// error code when the handle is empty.
KernelHandle OpenUnchangeable(const std::wstring& path, DWORD& error);

// Copies source to copy (replaced if present) in one read of the source and
// gives the lower-case MD5 of the bytes written; the source is opened with
// OpenUnchangeable. 0 or the system error code; on failure no copy is left.
DWORD CopyWithMd5(const std::wstring& source, const std::wstring& copy, std::string& md5Hex);
