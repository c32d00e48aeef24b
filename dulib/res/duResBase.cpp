#include "dulib/res/duResBase.h"

#include <cwchar>

const wchar_t* duResBase::GetName() { return name_; }

void duResBase::SetName(const wchar_t* name) {
    name_[0] = L'\0';
    if (name) wcsncpy_s(name_, RES_NAME_CHARS, name, _TRUNCATE);
}

bool duResBase::LoadFromXml(const tinyxml2::XMLElement*) { return true; }

const wchar_t* duResBase::GetClassName() { return L"duResBase"; }
