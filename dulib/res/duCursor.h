#pragma once
// A named cursor loaded from the bytes of a cursor file.
#include "dulib/res/duResBase.h"

class duCursor : public duResBase {
public:
    duCursor() = default;

    int GetType() override { return RES_CURSOR; }
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;

    virtual const wchar_t* GetFileName() { return file_; }
    virtual void SetFileName(const wchar_t* file);
    virtual HCURSOR GetHCursor() { return cursor_; }
    // Takes ownership, destroying the old cursor first.
    virtual void SetHCursor(HCURSOR cursor);
    virtual bool LoadFromFile(const wchar_t* path);
    // Goes through a temporary file ("CUR" prefix) because the platform's
    // cursor loader reads files only.
    virtual bool LoadFromBytes(const BYTE* bytes, int size);

protected:
    ~duCursor() override;

private:
    wchar_t file_[RES_NAME_CHARS] = {};
    HCURSOR cursor_ = nullptr;
};
