#include "dulib/ctrl/PluginTree.h"

#include <cwchar>
#include <deque>
#include <string>
#include <tinyxml2.h>
#include <vector>

#include "dulib/ctrl/PluginFactory.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duPropertyGroup.h"

std::wstring ReadTagName(const tinyxml2::XMLElement* element) {
    if (!element || !element->Name()) return std::wstring();
    const char* name = element->Name();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(n - 1), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, name, -1, &out[0], n);
    return out;
}

namespace {

void Unlink(duPlugin* p) {
    duPlugin* old = p->GetParent();
    if (old) old->OnChildDetached(p);
    duPlugin* prev = p->GetPreSibling();
    duPlugin* next = p->GetNextSibling();
    if (prev) prev->SetNextSibling(next);
    if (next) next->SetPreSibling(prev);
    if (old) {
        if (old->GetFirstChild() == p) old->SetFirstChild(next);
        if (old->GetLastChild() == p) old->SetLastChild(prev);
    }
    p->SetPreSibling(nullptr);
    p->SetNextSibling(nullptr);
}

// Links p into parent right after `after` (first child when null).
void LinkAfter(duPlugin* p, duPlugin* parent, duPlugin* after) {
    p->SetParent(parent);
    duPlugin* next = after ? after->GetNextSibling() : parent->GetFirstChild();
    p->SetPreSibling(after);
    p->SetNextSibling(next);
    if (after) after->SetNextSibling(p);
    else parent->SetFirstChild(p);
    if (next) next->SetPreSibling(p);
    else parent->SetLastChild(p);
}

// name followed by the decimal index, cut to the plugin text size.
void IndexedName(const wchar_t* name, int index, wchar_t (&out)[kPluginTextSize]) {
    const std::wstring full = std::wstring(name ? name : L"") + std::to_wstring(index);
    CopyPluginText(out, full.c_str());
}

}  // namespace

duPlugin* LinkChild(duPlugin* plugin, duPlugin* parent, const wchar_t* siblingName) {
    if (!plugin || !parent || plugin == parent) return nullptr;
    duPlugin* old = plugin->GetParent();
    if (!old) {
        plugin->SetPreSibling(nullptr);
        plugin->SetNextSibling(nullptr);
        LinkAfter(plugin, parent, parent->GetLastChild());
        return nullptr;
    }
    Unlink(plugin);
    duPlugin* sibling = siblingName ? parent->FindPlugin(siblingName) : nullptr;
    // Only a real child of the new parent can be the anchor.
    if (sibling && (sibling->GetParent() != parent || sibling == plugin)) sibling = nullptr;
    LinkAfter(plugin, parent, sibling);
    return old;
}

duPlugin* AttachChild(duPlugin* plugin, duPlugin* parent, const wchar_t* siblingName) {
    if (!IsValidPlugin(plugin) || !IsValidPlugin(parent)) return nullptr;
    // A plugin cannot become a child of its own descendant.
    for (duPlugin* a = parent; a; a = a->GetParent())
        if (a == plugin) return nullptr;
    duPlugin* old = LinkChild(plugin, parent, siblingName);
    // Under a hidden parent the plugin is no longer shown: focus, hot and
    // capture let it go as if it had been hidden.
    if (WindowHost* host = plugin->GetHost()) host->OnPluginHidden();
    return old;
}

bool IsPluginShown(duPlugin* plugin) {
    for (duPlugin* p = plugin; p; p = p->GetParent()) {
        if (!IsValidPlugin(p) || !p->IsVisible()) return false;
    }
    return plugin != nullptr;
}

RECT GetVisibleRect(duPlugin* plugin) {
    RECT r{};
    if (!IsValidPlugin(plugin)) return r;
    plugin->GetRect(&r);
    for (duPlugin* p = plugin->GetParent(); p && IsValidPlugin(p); p = p->GetParent()) {
        RECT pr;
        p->GetRect(&pr);
        if (!::IntersectRect(&r, &r, &pr)) return RECT{};
    }
    return r;
}

void MovePlugin(duPlugin* plugin, const RECT* parentRect) {
    if (!IsValidPlugin(plugin)) return;
    LayoutScope layout(plugin);
    RECT before;
    plugin->GetRect(&before);
    const RECT layoutBefore = plugin->GetLayoutRect();
    plugin->Resize(parentRect);
    RECT after;
    plugin->GetRect(&after);
    const RECT layoutAfter = plugin->GetLayoutRect();
    if (!::EqualRect(&before, &after) || !::EqualRect(&layoutBefore, &layoutAfter)) {
        if (WindowHost* host = plugin->GetHost()) host->DispatchEvent(plugin, EVENT_CHILDRESIZE, reinterpret_cast<WPARAM>(plugin), 0);
    }
}

duPlugin* ClonePlugin(duPlugin* templ, duPlugin* parent, duPlugin* after, int index) {
    if (!IsValidPlugin(templ) || !IsValidPlugin(parent)) return nullptr;
    if (after && !IsValidPlugin(after)) return nullptr;
    WindowHost* host = parent->GetHost();
    if (!host || !templ->GetPropertyGroup()) return nullptr;

    wchar_t name[kPluginTextSize] = {};
    IndexedName(templ->GetName(), index, name);
    if (host->GetPluginByName(name)) return nullptr;

    const tinyxml2::XMLElement* element = templ->GetPropertyGroup()->GetElement();
    LayoutScope layout(host);
    duPlugin* clone = CreatePluginByTag(ReadTagName(element).c_str());
    if (!clone) return nullptr;
    clone->SetParent(parent);
    if (!clone->LoadPluginFromXml(element, host)) {
        clone->SetParent(nullptr);
        clone->Destroy();
        return nullptr;
    }

    // Rename and enter the subtree, breadth first.
    std::vector<duPlugin*> order;
    std::deque<duPlugin*> queue{clone};
    while (!queue.empty()) {
        duPlugin* p = queue.front();
        queue.pop_front();
        order.push_back(p);
        for (duPlugin* c = p->GetFirstChild(); c; c = c->GetNextSibling()) queue.push_back(c);
    }
    for (duPlugin* p : order) {
        wchar_t renamed[kPluginTextSize] = {};
        IndexedName(p->GetName(), index, renamed);
        p->SetName(renamed);
        host->AddPlugin(p);
        RegisterPlugin(p);
    }
    // Linked before OnInitialized so that controls which look at their
    // siblings (radio groups) see the finished tree.
    LinkAfter(clone, parent, after && after->GetParent() == parent ? after : nullptr);
    for (duPlugin* p : order) {
        if (IsValidPlugin(p)) p->OnInitialized();
    }
    return IsValidPlugin(clone) ? clone : nullptr;
}
