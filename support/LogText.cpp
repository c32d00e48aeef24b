#include "support/LogText.h"

#include <cstdio>

std::string EscapeControlChars(const std::string& message) {
    std::string out;
    out.reserve(message.size());
    for (char c : message) {
        const unsigned char byte = static_cast<unsigned char>(c);
        // The bytes of the ANSI code pages' double-byte characters lie above
        // 0x3F and are never 0x7F: no part of a character reads as a control.
        if (byte >= 0x20 && byte != 0x7F) {
            out.push_back(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            char escape[5] = {};
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out;
}
