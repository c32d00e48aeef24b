#pragma once
// A named cursor loaded from the bytes of a cursor file.
#include "dulib/res/duResBase.h"

#include <map>
#include <vector>

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

    // The cursor at the size the system gives cursors at `dpi`, taken from
    // the file's best entry for that size; made on first use. Loaded from
    // bytes only; otherwise (and at the system's own size) GetHCursor().
    HCURSOR GetHCursorForDpi(int dpi);

protected:
    ~duCursor() override;

private:
    wchar_t file_[RES_NAME_CHARS] = {};
    HCURSOR cursor_ = nullptr;
    std::vector<BYTE> bytes_;            // the file, for the other sizes
    std::map<int, HCURSOR> sized_;       // by pixel size
    void DropSized();
};
