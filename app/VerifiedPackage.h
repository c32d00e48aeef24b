#pragma once
// A downloaded package becomes runnable only as a copy in the run folder,
// verified as it is copied: the downloaded file stays where a standard user
// can write it and is never run.
#include "support/SetupInfo.h"

#include <string>

// The code a package fails with when its digest differs from its md5.
constexpr int kDigestMismatch = 5;

// Copies the download into the run folder, taking its MD5 on the way. 0 with
// the copy's path in runCopy; otherwise the code the package fails with,
// the reason being logged: kDigestMismatch (copy and download removed, so the
// next run fetches it afresh), or the system error code of the step that
// failed (the download is kept: it may be another program's to finish).
int CopyVerifiedPackage(const SetupInfo& item, const std::wstring& download, std::wstring& runCopy);
