#pragma once
// The rule for a folder the user types or picks, and the characters no file
// or folder name may hold.
#include <string>

// The text without any of \ / : * ? " < > |.
std::wstring RemoveForbiddenChars(const std::wstring& text);

// True for an existing drive followed by one or more backslash-separated
// names without forbidden characters ("C:\a\b"); false for a trailing
// backslash, a bare drive root, a UNC path or an unknown drive. An empty
// path counts as valid: callers reject it before asking.
bool IsValidInstallDir(const std::wstring& path);
