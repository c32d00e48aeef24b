#pragma once
// Keeps the skin element a plugin was made from, and reads the class's own
// attributes from it into the destinations the class names.
#include <windows.h>

#include <string>

namespace tinyxml2 {
class XMLElement;
}

class duPropertyGroup {
public:
    explicit duPropertyGroup(const tinyxml2::XMLElement* element) : element_(element) {}

    const tinyxml2::XMLElement* GetElement() const { return element_; }
    bool Has(const char* attr) const;

    // Each reader leaves the destination alone when the attribute is absent.
    void ReadInt(const char* attr, int* dst) const;
    void ReadFloat(const char* attr, float* dst) const;
    void ReadDouble(const char* attr, double* dst) const;
    void ReadColor(const char* attr, COLORREF* dst) const;
    // "true" gives 1, "false" 0 (any case); anything else leaves the value.
    void ReadFlag(const char* attr, int* dst) const;
    // At most count - 1 characters (resource names, short texts).
    void ReadText(const char* attr, wchar_t* dst, int count) const;
    void ReadString(const char* attr, std::wstring* dst) const;

private:
    const tinyxml2::XMLElement* element_;
};
