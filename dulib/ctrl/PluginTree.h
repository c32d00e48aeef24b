#pragma once
// Flat operations on the plugin tree. A plugin argument that is not a live
// registered plugin makes them do nothing and answer 0 or null.
#include <windows.h>

#include <string>

class duPlugin;
namespace tinyxml2 {
class XMLElement;
}

// Links plugin under parent: a plugin without parent becomes the last child;
// one with a parent moves after the sibling named siblingName (first child
// when there is no such sibling). Answers the previous parent.
duPlugin* AttachChild(duPlugin* plugin, duPlugin* parent, const wchar_t* siblingName);
// A copy of the template's subtree under parent, after `after` (first child
// when null), every name suffixed with index. Null when the new name is taken.
duPlugin* ClonePlugin(duPlugin* templ, duPlugin* parent, duPlugin* after, int index);
// Resize (parentRect in skin units), then OnChildResize to the parent when
// the rectangle changed.
void MovePlugin(duPlugin* plugin, const RECT* parentRect);
// The plugin and all its ancestors are live and visible.
bool IsPluginShown(duPlugin* plugin);
// The rectangle cut by every ancestor's rectangle.
RECT GetVisibleRect(duPlugin* plugin);

// Tag of a skin element as wide text.
std::wstring ReadTagName(const tinyxml2::XMLElement* element);
// AttachChild without the registry check, for plugins still being built.
duPlugin* LinkChild(duPlugin* plugin, duPlugin* parent, const wchar_t* siblingName);
