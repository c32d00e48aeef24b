#include "service/AnswerText.h"

#include "support/CodedConversion.h"

#include <cstdio>

std::string LenientJsonText(const std::string& answer) {
    const std::string text = CCodedConversion().RepairUtf8(answer);
    std::string out;
    out.reserve(text.size());
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!inString) {
            if (c == '"') inString = true;
            out += static_cast<char>(c);
        } else if (c == '\\' && i + 1 < text.size()) {
            out += static_cast<char>(c);
            out += text[++i];  // an escape is kept as it is
        } else if (c == '"') {
            inString = false;
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8] = {};
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
