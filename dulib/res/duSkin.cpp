#include "dulib/res/duSkin.h"

#include "dulib/res/SkinXml.h"
#include "dulib/res/duResManager.h"
#include "support/Handles.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr DWORD kMaxSkinFileBytes = 256u * 1024u * 1024u;

// Copies path into folder (MAX_PATH + 1 characters) and cuts it just after
// its last backslash. False for a path that is too long or has no backslash.
bool FolderOf(const wchar_t* path, wchar_t* folder) {
    size_t length = std::wcslen(path);
    if (length > MAX_PATH) return false;
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    if (!slash) return false;
    size_t keep = static_cast<size_t>(slash - path) + 1;
    std::wmemcpy(folder, path, keep);
    folder[keep] = L'\0';
    return true;
}

std::wstring Upper(const wchar_t* text) {
    std::wstring out = text ? text : L"";
    if (!out.empty()) ::CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

}  // namespace

duSkin::duSkin() = default;

duSkin::~duSkin() {
    // The document goes first, then the resource manager with its objects.
    document_.reset();
    manager_.reset();
}

void duSkin::Destroy() { delete this; }

const wchar_t* duSkin::GetClassName() { return L"duSkin"; }

tinyxml2::XMLDocument* duSkin::GetDocument() { return document_.get(); }

duResManager* duSkin::GetResManager() { return manager_.get(); }

tinyxml2::XMLElement* duSkin::GetControlRoot() {
    if (!document_) return nullptr;
    tinyxml2::XMLElement* root = document_->FirstChildElement("directui");
    return root ? root->FirstChildElement("ducontrol") : nullptr;
}

bool duSkin::LoadSkin(const wchar_t* path) {
    if (path && *path) {
        if (!FolderOf(path, folder_)) {
            folder_[0] = L'\0';
            return false;
        }
        resourceMode_ = false;
    } else {
        folder_[0] = L'\0';
        resourceMode_ = true;
    }
    ResManagerPtr manager;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    bool loaded = ParseSkin(manager, document);
    if (!manager) return false;  // config.xml could not be opened
    // Document and manager stay even when the theme is missing.
    document_.reset();
    manager_ = std::move(manager);
    document_ = std::move(document);
    return loaded;
}

bool duSkin::ChangeSkin(const wchar_t* path) {
    if (!path || !*path || resourceMode_ || !::PathFileExistsW(path)) return false;
    wchar_t newFolder[MAX_PATH + 1] = {};
    if (!FolderOf(path, newFolder)) return false;

    wchar_t oldFolder[MAX_PATH + 1] = {};
    std::wmemcpy(oldFolder, folder_, MAX_PATH + 1);
    std::wmemcpy(folder_, newFolder, MAX_PATH + 1);

    ResManagerPtr manager;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    if (!ParseSkin(manager, document)) {
        document.reset();
        manager.reset();
        std::wmemcpy(folder_, oldFolder, MAX_PATH + 1);
        return false;
    }
    document_.reset();
    manager_.reset();
    manager_ = std::move(manager);
    document_ = std::move(document);
    OnSkinChanged();
    return true;
}

// Opens config.xml from the current source, parses it and loads its theme into
// a new manager. manager stays null when the file cannot be opened; the answer
// is true exactly when directui/theme was found.
bool duSkin::ParseSkin(ResManagerPtr& manager, std::unique_ptr<tinyxml2::XMLDocument>& document) {
    SkinFile file;
    if (!OpenSkinFile(L"config.xml", L"SKIN", &file)) return false;
    if (!file.stream || !file.releaseHandle) {
        CloseSkinFile(file);
        return false;
    }
    manager.reset(new duResManager());
    manager->SetSkin(this);
    document.reset(new tinyxml2::XMLDocument());

    const wchar_t* text = reinterpret_cast<const wchar_t*>(file.bytes);
    size_t units = file.size / sizeof(wchar_t);
    std::wstring copy(text, units);  // aligned and terminated
    size_t start = (!copy.empty() && copy[0] == 0xFEFF) ? 1 : 0;
    std::string utf8 = SkinTextToUtf8(copy.c_str() + start, copy.size() - start);
    CloseSkinFile(file);

    if (document->Parse(utf8.c_str(), utf8.size()) != tinyxml2::XML_SUCCESS)
        DebugTrace(L"skin document: %hs at line %d\n", document->ErrorName(), document->ErrorLineNum());
    tinyxml2::XMLElement* root = document->FirstChildElement("directui");
    tinyxml2::XMLElement* theme = root ? root->FirstChildElement("theme") : nullptr;
    return manager->LoadTheme(theme);
}

bool duSkin::OpenSkinFile(const wchar_t* name, const wchar_t* resType, SkinFile* out) {
    if (!out) return false;
    *out = SkinFile();
    if (!name || !*name) return false;
    return resourceMode_ ? OpenResourceFile(name, resType, out) : OpenFolderFile(name, out);
}

bool duSkin::OpenResourceFile(const wchar_t* name, const wchar_t* resType, SkinFile* out) {
    if (!resType || !*resType) return false;
    HMODULE module = resourceModule_ ? resourceModule_ : ::GetModuleHandleW(nullptr);
    // Resource compilers store names upper-cased; look the upper-cased name up
    // first so that matching does not depend on the loader folding case.
    std::wstring upperName = Upper(name), upperType = Upper(resType);
    HRSRC info = ::FindResourceW(module, upperName.c_str(), upperType.c_str());
    if (!info) info = ::FindResourceW(module, name, resType);
    if (!info) return false;
    HGLOBAL handle = ::LoadResource(module, info);
    DWORD size = ::SizeofResource(module, info);
    const void* bytes = handle ? ::LockResource(handle) : nullptr;
    if (!bytes || size == 0) return false;

    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) return false;
    ULARGE_INTEGER length;
    length.QuadPart = size;
    ULONG written = 0;
    if (FAILED(stream->SetSize(length)) || FAILED(stream->Write(bytes, size, &written)) || written != size) {
        stream->Release();
        return false;
    }
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);

    out->bytes = static_cast<const BYTE*>(bytes);
    out->size = written;
    out->stream = stream;
    out->releaseHandle = handle;
    out->ownsBlock = false;
    return true;
}

bool duSkin::OpenFolderFile(const wchar_t* name, SkinFile* out) {
    std::wstring path = std::wstring(folder_) + name;
    if (path.size() > MAX_PATH) return false;
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER fileSize = {};
    if (!::GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0 || fileSize.QuadPart > kMaxSkinFileBytes)
        return false;
    DWORD size = static_cast<DWORD>(fileSize.QuadPart);

    GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) return false;
    BYTE* bytes = static_cast<BYTE*>(::GlobalLock(block.get()));
    if (!bytes) return false;
    DWORD read = 0;
    IStream* stream = nullptr;
    if (!::ReadFile(file.get(), bytes, size, &read, nullptr) || read != size ||
        FAILED(::CreateStreamOnHGlobal(block.get(), FALSE, &stream)) || !stream) {
        ::GlobalUnlock(block.get());
        return false;
    }
    out->bytes = bytes;
    out->size = size;
    out->stream = stream;
    out->releaseHandle = block.release();
    out->ownsBlock = true;
    return true;
}

void duSkin::CloseSkinFile(SkinFile& file) {
    if (file.stream) file.stream->Release();
    if (file.ownsBlock && file.releaseHandle) {
        ::GlobalUnlock(file.releaseHandle);
        ::GlobalFree(file.releaseHandle);
    }
    file = SkinFile();
}
