#pragma once
// Common base of the named resources held by the resource manager.
#include "dulib/res/duObject.h"
#include "dulib/res/StateFlags.h"

#include <tinyxml2.h>

class duResManager;

constexpr int RES_NAME_CHARS = 128;  // buffer size; at most 127 are kept

class duResBase : public duObject {
public:
    virtual const wchar_t* GetName();
    // Copies the name (cut to 127 characters); null clears it.
    virtual void SetName(const wchar_t* name);
    virtual int GetType() = 0;  // ResKind
    // Reads the object's own skin element.
    virtual bool LoadFromXml(const tinyxml2::XMLElement* element);

    const wchar_t* GetClassName() override;

    duResManager* GetResManager() const { return manager_; }
    void SetResManager(duResManager* manager) { manager_ = manager; }

protected:
    duResBase() = default;

    wchar_t name_[RES_NAME_CHARS] = {};
    duResManager* manager_ = nullptr;
};
