#include "dulib/res/duResManager.h"

#include "dulib/res/SkinXml.h"
#include "dulib/res/duCursor.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duLineStyle.h"
#include "dulib/res/duRectStyle.h"
#include "dulib/res/duRgn.h"
#include "dulib/res/duStyleGroup.h"
#include "dulib/res/duTextStyle.h"

#include <cwchar>

duResManager::~duResManager() {
    for (Table& table : tables_) {
        for (auto& entry : table) entry.second->Destroy();
        table.clear();
    }
}

const wchar_t* duResManager::GetClassName() { return L"duResManager"; }

duResManager::Table* duResManager::TableOf(int kind) {
    if (kind < RES_IMAGE || kind > RES_STYLE) return nullptr;
    return &tables_[kind - 1];
}

bool duResManager::AddResObj(duResBase* object) {
    if (!object) return false;
    Table* table = TableOf(object->GetType());
    if (!table) return false;
    const wchar_t* name = object->GetName();
    if (table->count(name)) {
        DebugTrace(L"AddResObj [%s] failed\n", name);
        return false;
    }
    (*table)[name] = object;
    return true;
}

bool duResManager::DeleteResObj(const wchar_t* name, int kind) {
    duResBase* object = RemoveResObj(name, kind);
    if (!object) return false;
    object->Destroy();
    return true;
}

duResBase* duResManager::GetResObj(const wchar_t* name, int kind) {
    Table* table = TableOf(kind);
    if (!table || !name) return nullptr;
    auto found = table->find(name);
    return found == table->end() ? nullptr : found->second;
}

duResBase* duResManager::RemoveResObj(const wchar_t* name, int kind) {
    Table* table = TableOf(kind);
    if (!table || !name) return nullptr;
    auto found = table->find(name);
    if (found == table->end()) return nullptr;
    duResBase* object = found->second;
    table->erase(found);
    return object;
}

duResBase* duResManager::CreateResObj(const wchar_t* name, int kind) {
    if (!name) return nullptr;
    duResBase* object = nullptr;
    switch (kind) {
        case RES_IMAGE: object = new duImage(); break;
        case RES_FONT: object = new duFont(); break;
        case RES_CURSOR: object = new duCursor(); break;
        case RES_RGN: object = new duRgn(); break;
        case RES_STYLE: object = new duStyleGroup(); break;
        default: return nullptr;
    }
    object->SetName(name);
    object->SetResManager(this);
    return object;
}

duStyleBase* duResManager::CreateStyle(int styleKind) {
    duStyleBase* item = nullptr;
    switch (styleKind) {
        case STYLE_IMAGE: item = new duImageStyle(); break;
        case STYLE_TEXT: item = new duTextStyle(); break;
        case STYLE_RECT: item = new duRectStyle(); break;
        case STYLE_LINE: item = new duLineStyle(); break;
        default: return nullptr;
    }
    item->SetResManager(this);
    return item;
}

int duResManager::GetResObjCount(int kind) {
    Table* table = TableOf(kind);
    return table ? static_cast<int>(table->size()) : 0;
}

duResBase* duResManager::GetResObjByIndex(int index, int kind) {
    Table* table = TableOf(kind);
    if (!table || index < 0 || index >= static_cast<int>(table->size())) return nullptr;
    auto it = table->begin();
    std::advance(it, index);
    return it->second;
}

duStyleBase* duResManager::CloneStyle(duStyleBase* item) {
    if (!item) return nullptr;
    duStyleBase* copy = CreateStyle(item->GetStyleType());
    if (copy) copy->CopyFrom(item);
    return copy;
}

duStyleGroup* duResManager::CloneStyleGroup(duStyleGroup* group, const wchar_t* newName) {
    if (!group || !newName || !*newName) return nullptr;
    auto* copy = static_cast<duStyleGroup*>(CreateResObj(newName, RES_STYLE));
    if (!copy) return nullptr;
    for (int i = 0; i < group->GetStyleCount(); ++i) {
        duStyleBase* item = CloneStyle(group->GetStyleItem(i));
        if (item) copy->AddStyleItem(item);
    }
    return copy;
}

bool duResManager::RenameResObj(const wchar_t* oldName, int kind, const wchar_t* newName) {
    Table* table = TableOf(kind);
    if (!table || !oldName || !newName) return false;
    // Compare with the name as the object will keep it (127 characters).
    wchar_t kept[RES_NAME_CHARS] = {};
    wcsncpy_s(kept, RES_NAME_CHARS, newName, _TRUNCATE);
    if (table->count(kept)) return false;
    duResBase* object = RemoveResObj(oldName, kind);
    if (!object) return false;
    object->SetName(kept);
    return AddResObj(object);
}

bool duResManager::LoadTheme(const tinyxml2::XMLElement* theme) {
    if (!theme) return false;
    LoadSection(theme->FirstChildElement("dsfont"), RES_FONT);
    LoadSection(theme->FirstChildElement("dscursor"), RES_CURSOR);
    LoadSection(theme->FirstChildElement("dsimage"), RES_IMAGE);
    LoadSection(theme->FirstChildElement("dsstyle"), RES_STYLE);
    LoadSection(theme->FirstChildElement("dsrgn"), RES_RGN);
    return true;
}

void duResManager::LoadSection(const tinyxml2::XMLElement* section, int kind) {
    if (!section) return;
    for (const tinyxml2::XMLElement* element = section->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        wchar_t name[RES_NAME_CHARS] = {};
        ReadXmlString(element, "name", name, RES_NAME_CHARS);
        duResBase* object = CreateResObj(name, kind);
        if (!object) continue;
        object->LoadFromXml(element);
        if (!AddResObj(object)) object->Destroy();
    }
}
