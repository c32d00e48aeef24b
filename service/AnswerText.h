#pragma once
// The setup service's answer made fit for a strict JSON parser without
// losing its packages: ill-formed UTF-8 (a description sent in another
// encoding) becomes U+FFFD, raw control characters inside strings become
// escapes. Escapes already there, and the structure, are left alone, so a
// truly malformed document still fails to parse.
#include <string>

std::string LenientJsonText(const std::string& answer);
