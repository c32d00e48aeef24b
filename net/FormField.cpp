#include "net/FormField.h"

#include <cstdlib>
#include <cstring>

namespace {
char* CopyBytes(const char* bytes, int length) {
    char* copy = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!copy) return nullptr;
    if (length > 0) std::memcpy(copy, bytes, static_cast<size_t>(length));
    copy[length] = '\0';
    return copy;
}
}  // namespace

FormField::FormField(const char* fieldName, const char* bytes, int length) : name(fieldName) {
    if (length < 0) length = 0;
    value = CopyBytes(bytes ? bytes : "", bytes ? length : 0);
    valueLength = value ? (bytes ? length : 0) : 0;
    ownsValue = value != nullptr;
}

FormField::~FormField() { Release(); }

FormField::FormField(const FormField& other) : name(other.name) {
    if (other.value) {
        value = CopyBytes(other.value, other.valueLength);
        valueLength = value ? other.valueLength : 0;
        ownsValue = value != nullptr;
    }
}

FormField& FormField::operator=(const FormField& other) {
    if (this != &other) {
        FormField copy(other);
        *this = std::move(copy);
    }
    return *this;
}

FormField::FormField(FormField&& other) noexcept
    : name(other.name), value(other.value), valueLength(other.valueLength), ownsValue(other.ownsValue) {
    other.value = nullptr;
    other.valueLength = 0;
    other.ownsValue = false;
}

FormField& FormField::operator=(FormField&& other) noexcept {
    if (this != &other) {
        Release();
        name = other.name;
        value = other.value;
        valueLength = other.valueLength;
        ownsValue = other.ownsValue;
        other.value = nullptr;
        other.valueLength = 0;
        other.ownsValue = false;
    }
    return *this;
}

void FormField::Release() noexcept {
    if (ownsValue) std::free(value);
    value = nullptr;
    valueLength = 0;
    ownsValue = false;
}

FormField MakeFormField(const char* name, const std::string& utf8Value) {
    return FormField(name, utf8Value.data(), static_cast<int>(utf8Value.size()));
}

FormField MakeLiteralField(const char* name, const char* value) {
    const char* text = value ? value : "";
    return FormField(name, text, static_cast<int>(std::strlen(text)));
}
