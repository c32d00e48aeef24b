#pragma once
// Every file-system place the installer uses: the product data folder, the
// proposed installation folder, the temporary work and package folders and
// the local name of each downloaded package.
#include "support/SetupInfo.h"

#include <string>

// Per-user application data + "\" + folder (default "Orchid") + "\" + file.
// With create set, the whole path is created as one folder level (its parent
// must exist). Empty when the application-data folder is unknown.
std::wstring AppDataPath(const std::wstring& folder, const std::wstring& file, bool create);

// The proposed installation folder: the 32-bit program folder
// (e.g. "C:\Program Files (x86)") + "\QRN\Kestrane"; empty when unknown.
std::wstring DefaultInstallPath();

// The installed client's folder from key Path of section App in the product
// data folder's "startup.ini"; empty when there is none.
std::wstring ReadInstalledPath();

// Temporary path + "vantor_temp\" (created if it is not a directory); empty
// when the temporary path is unknown.
std::wstring TempWorkFolder();

// TempWorkFolder() + "Package\" (created if missing); empty when unknown.
std::wstring PackageFolder();

// The machine's temporary folder under the Windows folder (ending in "\"),
// where the folders that verified packages run from are made: standard users
// may add to it but not remove or rename what others made. Empty when the
// Windows folder is unknown.
std::wstring RunFolderRoot();

// The package file's place in PackageFolder(): name + "_V" + version + "." +
// the extension of the URL's file name, with forbidden characters removed
// from each part. Empty text means the package has no safe local name (its
// name is empty or only dots once cleaned, or there is no package folder):
// callers must then treat the package as failed and touch no file.
std::wstring PackageFilePath(const SetupInfo& item);

// The extension of the last path segment of a URL, without query or
// fragment: "exe" for "http://h/f.exe?x=1", empty for "http://h/a.b/file".
std::wstring UrlFileExtension(const std::wstring& url);
