#include "dulib/ctrl/duPlugin.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "dulib/ctrl/PluginFactory.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/ctrl/duWindowManager.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duCursor.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"
#include "support/CodedConversion.h"

void CopyPluginText(wchar_t (&dst)[kPluginTextSize], const wchar_t* src) {
    wmemset(dst, 0, kPluginTextSize);
    if (src) wmemcpy(dst, src, Utf16CutLength(src, wcslen(src), kPluginTextSize - 1));
}

duPlugin::duPlugin() = default;

duPlugin::~duPlugin() {
    // Children go first, while their parent link is still good.
    while (firstChild_) {
        duPlugin* child = firstChild_;
        child->Destroy();
        if (firstChild_ == child) firstChild_ = child->nextSibling_;  // never loops on a bad link
    }
    UnlinkFromParent();
    if (WindowHost* host = GetHost()) host->ForgetPlugin(this);
    UnregisterPlugin(this);
}

void duPlugin::UnlinkFromParent() {
    if (parent_) parent_->OnChildDetached(this);
    if (preSibling_) preSibling_->nextSibling_ = nextSibling_;
    if (nextSibling_) nextSibling_->preSibling_ = preSibling_;
    if (parent_) {
        if (parent_->firstChild_ == this) parent_->firstChild_ = nextSibling_;
        if (parent_->lastChild_ == this) parent_->lastChild_ = preSibling_;
    }
    parent_ = preSibling_ = nextSibling_ = nullptr;
}

UINT duPlugin::GetState() {
    const UINT s = state_;
    if ((s & 0xFF00) == 0) {
        if (disable_) return STATE_DISABLE;
        if (focus_ && s == STATE_NORMAL) return STATE_FOCUS;
        return s;
    }
    if (disable_) return STATE_CHECKEDDISABLE;
    if (focus_ && s == STATE_CHECKED) return STATE_CHECKEDFOCUS;
    return s;
}

void duPlugin::SetName(const wchar_t* name) { CopyPluginText(name_, name); }
void duPlugin::SetStyle(const wchar_t* style) {
    CopyPluginText(style_, style);
    InvalidateCache();
}

void duPlugin::SetCursor(const wchar_t* cursor) { CopyPluginText(cursor_, cursor); }

void duPlugin::AddListener(duListener* listener) {
    if (!listener) return;
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void duPlugin::RemoveListener(duListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void duPlugin::Resize(const RECT* parentRect) {
    LayoutScope layout(this);
    PlaceSelf(parentRect);
    for (duPlugin* child = firstChild_; child; child = child->GetNextSibling()) child->Resize(nullptr);
}

void duPlugin::PlaceSelf(const RECT* parentRect) {
    RECT area{};
    if (parentRect) {
        area = *parentRect;
    } else if (parent_) {
        area = parent_->GetLayoutRect();
    } else if (hwnd_) {
        ::GetClientRect(hwnd_, &area);
        area = Scale().ToSkinRect(area);
    }
    SetLayoutRect(PlacePlugin(pos_, area, layout_));
}

void duPlugin::SetRect(const RECT* rect) {
    if (!rect) return;
    SetPixelRect(*rect);
    layout_ = Scale().ToSkinRect(*rect);
}

void duPlugin::SetLayoutRect(const RECT& skin) {
    layout_ = skin;
    // Every edge is scaled from the window's origin, so that plugins sharing
    // an edge in the skin share it in pixels.
    SetPixelRect(Scale().Rect(skin));
}

void duPlugin::SetPixelRect(const RECT& rect) {
    if (rect.right - rect.left != rect_.right - rect_.left || rect.bottom - rect.top != rect_.bottom - rect_.top)
        InvalidateCache();
    rect_ = rect;
}

DpiScale duPlugin::Scale() {
    WindowHost* host = GetHost();
    return host ? host->Scale() : DpiScale();
}

duPlugin* duPlugin::FindPlugin(const wchar_t* name) {
    WindowHost* host = GetHost();
    return host ? host->GetPluginByName(name) : nullptr;
}

void duPlugin::OnSetCursor() {
    HCURSOR cursor = nullptr;
    if (cursor_[0]) {
        if (duResManager* res = GetResManager()) {
            if (auto* c = static_cast<duCursor*>(res->GetResObj(cursor_, RES_CURSOR)))
                cursor = c->GetHCursorForDpi(Scale().Dpi());
        }
    }
    ::SetCursor(cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW));
}

WindowHost* duPlugin::GetHost() { return WindowHost::FromHwnd(hwnd_); }

duResManager* duPlugin::GetResManager() {
    WindowHost* host = GetHost();
    return host && host->GetManager() ? host->GetManager()->GetResManager() : nullptr;
}

duStyleGroup* duPlugin::GetStyleGroup(const wchar_t* name) {
    if (!name || !name[0]) return nullptr;
    duResManager* res = GetResManager();
    return res ? static_cast<duStyleGroup*>(res->GetResObj(name, RES_STYLE)) : nullptr;
}

bool duPlugin::StyleCoversIt() {
    duStyleGroup* style = GetStyleGroup(GetStyle());
    return style && style->CoversOpaquely(GetState(), LocalRect(), GetAlpha(), Scale());
}

namespace {

// Only the exact words change the flag; anything else keeps the default.
void ReadExactFlag(const tinyxml2::XMLElement* e, const char* attr, BOOL* flag) {
    const char* v = e->Attribute(attr);
    if (!v) return;
    if (std::strcmp(v, "true") == 0) *flag = 1;
    else if (std::strcmp(v, "false") == 0) *flag = 0;
}

int ReadPosition(const tinyxml2::XMLElement* e, const char* attr) {
    int v = ReadXmlInt(e, attr);
    if (v == 0) {
        const std::wstring text = ReadXmlText(e, attr);
        if (_wcsicmp(text.c_str(), L"center") == 0) v = CENTER_POS;
    }
    return v;
}

}  // namespace

bool duPlugin::LoadPluginFromXml(const tinyxml2::XMLElement* element, WindowHost* host) {
    if (!element || !host) return false;
    hwnd_ = host->GetHwnd();
    {
        std::wstring tag = ReadTagName(element);
        CopyPluginText(type_, tag.c_str());
    }
    ReadXmlString(element, "name", name_, kPluginTextSize);
    ReadXmlString(element, "style", style_, kPluginTextSize);
    ReadXmlString(element, "cursor", cursor_, kPluginTextSize);
    text_ = ReadXmlText(element, "text");
    extra_ = ReadXmlText(element, "extra");
    ReadExactFlag(element, "visible", &visible_);
    ReadExactFlag(element, "cached", &cached_);
    ReadExactFlag(element, "opaque", &opaque_);
    ReadExactFlag(element, "associate", &associate_);
    ReadExactFlag(element, "ghost", &ghost_);
    zorder_ = ReadXmlInt(element, "zorder");
    pos_.left = ReadPosition(element, "left");
    pos_.top = ReadPosition(element, "top");
    pos_.right = ReadXmlInt(element, "right");
    pos_.bottom = ReadXmlInt(element, "bottom");
    pos_.horzAnchor = ReadXmlInt(element, "horzanchor");
    pos_.vertAnchor = ReadXmlInt(element, "vertanchor");
    {
        const char* a = element->Attribute("alpha");
        if (a && *a) alpha_ = ReadXmlInt(element, "alpha");
    }
    // "50%" reads as 50 either way; the anchor decides whether it is a
    // percentage or pixels.
    pos_.width = ReadXmlInt(element, "width");
    pos_.height = ReadXmlInt(element, "height");

    properties_ = std::make_unique<duPropertyGroup>(element);
    OnCreate();

    if (parent_) {
        Resize(nullptr);
        if (zorder_ == 0) zorder_ = parent_->GetZorder() + 1;
    } else {
        SetLayoutRect(RECT{0, 0, pos_.width, pos_.height});
    }
    RegisterPlugin(this);

    for (const tinyxml2::XMLElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
        duPlugin* child = CreatePluginByTag(ReadTagName(e).c_str());
        if (!child) continue;  // unknown tag: the element and its subtree are skipped
        LinkChild(child, this, nullptr);
        child->LoadPluginFromXml(e, host);
    }
    return true;
}
