#include "dulib/ctrl/duPropertyGroup.h"

#include <cwchar>

#include "dulib/res/SkinXml.h"

bool duPropertyGroup::Has(const char* attr) const { return element_ && element_->Attribute(attr) != nullptr; }

void duPropertyGroup::ReadInt(const char* attr, int* dst) const {
    if (dst && Has(attr)) *dst = ReadXmlInt(element_, attr);
}

void duPropertyGroup::ReadFloat(const char* attr, float* dst) const {
    if (dst && Has(attr)) *dst = static_cast<float>(wcstod(ReadXmlText(element_, attr).c_str(), nullptr));
}

void duPropertyGroup::ReadDouble(const char* attr, double* dst) const {
    if (dst && Has(attr)) *dst = wcstod(ReadXmlText(element_, attr).c_str(), nullptr);
}

void duPropertyGroup::ReadColor(const char* attr, COLORREF* dst) const {
    if (dst && Has(attr)) *dst = ReadXmlColor(element_, attr);
}

void duPropertyGroup::ReadFlag(const char* attr, int* dst) const {
    if (dst) ReadXmlBool(element_, attr, dst);
}

void duPropertyGroup::ReadText(const char* attr, wchar_t* dst, int count) const {
    if (dst && count > 0 && Has(attr)) ReadXmlString(element_, attr, dst, count);
}

void duPropertyGroup::ReadString(const char* attr, std::wstring* dst) const {
    if (dst && Has(attr)) *dst = ReadXmlText(element_, attr);
}
