#pragma once
// Log messages carry text from the service and from files: such text must
// never start a line of its own.
#include <string>

// The message with every control character written as an escape: \r, \n,
// \t, or \x followed by two upper-case hexadecimal digits.
std::string EscapeControlChars(const std::string& message);
