#pragma once
// One request field: a static name and an owned, zero-terminated copy of the
// value bytes (UTF-8 on the wire; binary is fine for multipart bodies).
#include <string>

struct FormField {
    const char* name = nullptr;  // static narrow text, never freed
    char* value = nullptr;       // heap copy, zero-terminated
    int valueLength = 0;         // bytes without the terminator
    bool ownsValue = false;      // true when this record frees value

    FormField() = default;
    FormField(const char* fieldName, const char* bytes, int length);
    ~FormField();
    FormField(const FormField& other);
    FormField& operator=(const FormField& other);
    FormField(FormField&& other) noexcept;
    FormField& operator=(FormField&& other) noexcept;

private:
    void Release() noexcept;
};

// A field whose value is a copy of the given UTF-8 bytes.
FormField MakeFormField(const char* name, const std::string& utf8Value);
// A field whose value is a copy of a literal narrow text.
FormField MakeLiteralField(const char* name, const char* value);
