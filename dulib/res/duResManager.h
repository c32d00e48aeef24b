#pragma once
// Owns every resource of a theme in five name-keyed tables, one per ResKind.
// Names compare exactly (case-sensitive, by code units).
#include "dulib/res/duObject.h"
#include "dulib/res/StateFlags.h"

#include <map>
#include <string>
#include <tinyxml2.h>

class duResBase;
class duSkin;
class duStyleBase;
class duStyleGroup;

class duResManager : public duObject {
public:
    duResManager() = default;

    // Takes ownership on success. False (ownership stays with the caller) for
    // null or when the kind already holds the name ("AddResObj [%s] failed\n").
    virtual bool AddResObj(duResBase* object);
    // Removes and destroys; false when not found.
    virtual bool DeleteResObj(const wchar_t* name, int kind);
    virtual duResBase* GetResObj(const wchar_t* name, int kind);
    // A new empty object of the kind, named, not registered. Null for a missing
    // name or an unknown kind.
    virtual duResBase* CreateResObj(const wchar_t* name, int kind);
    // A new style item of kind STYLE_IMAGE..STYLE_LINE, not owned by anyone yet.
    virtual duStyleBase* CreateStyle(int styleKind);
    virtual int GetResObjCount(int kind);
    // Entry in name order; null out of range.
    virtual duResBase* GetResObjByIndex(int index, int kind);
    virtual duStyleBase* CloneStyle(duStyleBase* item);
    // A new, unregistered group named newName holding copies of every item.
    virtual duStyleGroup* CloneStyleGroup(duStyleGroup* group, const wchar_t* newName);
    virtual bool RenameResObj(const wchar_t* oldName, int kind, const wchar_t* newName);
    // Removes without destroying; the caller takes the object. Null when not found.
    virtual duResBase* RemoveResObj(const wchar_t* name, int kind);

    // False for a missing theme element; else loads the sections and answers true.
    bool LoadTheme(const tinyxml2::XMLElement* theme);
    void LoadSection(const tinyxml2::XMLElement* section, int kind);

    // Back reference to the skin source that owns this manager (files are
    // opened through it). Null for a manager made without one.
    duSkin* GetSkin() const { return skin_; }
    void SetSkin(duSkin* skin) { skin_ = skin; }

    const wchar_t* GetClassName() override;

protected:
    ~duResManager() override;

private:
    using Table = std::map<std::wstring, duResBase*>;
    Table* TableOf(int kind);

    Table tables_[5];
    duSkin* skin_ = nullptr;
};
