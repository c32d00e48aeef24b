#pragma once
// The skin source: where config.xml and the files it names come from (the
// program's resources or a skin folder), the parsed document and the resource
// manager built from its theme. The window manager derives from it.
#include "dulib/res/duObject.h"

#include <memory>
#include <tinyxml2.h>

class duResManager;

// One opened skin file. Every successful OpenSkinFile is paired with one
// CloseSkinFile.
struct SkinFile {
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    IStream* stream = nullptr;
    // The resource handle (resource mode, never freed) or the owned memory block
    // (folder mode, freed by CloseSkinFile).
    HGLOBAL releaseHandle = nullptr;
    bool ownsBlock = false;
};

class duSkin : public duObject {
public:
    duSkin();

    // path: full path of a config.xml in a skin folder, or null/empty for the
    // program's resources. True when the document has a directui/theme.
    bool LoadSkin(const wchar_t* path);
    // Folder mode only: loads the skin at path and, on success, replaces the
    // document and the resource manager together, then calls OnSkinChanged.
    bool ChangeSkin(const wchar_t* path);
    // name: "config.xml", "dlg_back.png" ...; resType: "SKIN", "PNG",
    // "PCURSOR" (ignored in folder mode).
    bool OpenSkinFile(const wchar_t* name, const wchar_t* resType, SkinFile* out);
    void CloseSkinFile(SkinFile& file);

    tinyxml2::XMLDocument* GetDocument();
    // The ducontrol element under directui, or null.
    tinyxml2::XMLElement* GetControlRoot();
    duResManager* GetResManager();

    // Folder of the loaded config.xml, ending with a backslash; empty in
    // resource mode.
    const wchar_t* GetSkinFolder() const { return folder_; }
    bool IsResourceMode() const { return resourceMode_; }
    // Module whose resources hold the skin in resource mode (default: the
    // program's own module).
    void SetResourceModule(HMODULE module) { resourceModule_ = module; }

    void Destroy() override;
    const wchar_t* GetClassName() override;

protected:
    ~duSkin() override;
    // Called by ChangeSkin after a new resource manager is in place.
    virtual void OnSkinChanged() {}

private:
    using ResManagerPtr = std::unique_ptr<duResManager, duObjectDestroyer>;
    bool ParseSkin(ResManagerPtr& manager, std::unique_ptr<tinyxml2::XMLDocument>& document);
    bool OpenResourceFile(const wchar_t* name, const wchar_t* resType, SkinFile* out);
    bool OpenFolderFile(const wchar_t* name, SkinFile* out);

    wchar_t folder_[MAX_PATH + 1] = {};
    bool resourceMode_ = false;
    HMODULE resourceModule_ = nullptr;
    // Declared so that the document goes first at teardown, then the manager.
    ResManagerPtr manager_;
    std::unique_ptr<tinyxml2::XMLDocument> document_;
};
