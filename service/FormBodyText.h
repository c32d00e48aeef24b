#pragma once
// The fields as the request body carries them, for the log.
#include "net/FormField.h"

#include <string>
#include <vector>

inline std::string FormBodyText(const std::vector<FormField>& fields) {
    std::string text;
    for (const FormField& field : fields) {
        if (!text.empty()) text += '&';
        text += field.name ? field.name : "";
        text += '=';
        if (field.value) text.append(field.value, static_cast<size_t>(field.valueLength));
    }
    return text;
}
