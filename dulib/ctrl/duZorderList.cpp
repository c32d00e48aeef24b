#include "dulib/ctrl/duZorderList.h"

#include <algorithm>

#include "dulib/ctrl/duPlugin.h"

void duZorderList::Add(duPlugin* plugin) {
    if (!plugin) return;
    const int z = plugin->GetZorder();
    auto it = std::find_if(levels_.begin(), levels_.end(), [z](const Level& l) { return l.zorder <= z; });
    if (it == levels_.end() || it->zorder != z) it = levels_.insert(it, Level{z, {}});
    it->plugins.push_back(plugin);
}

void duZorderList::Remove(duPlugin* plugin) {
    for (auto it = levels_.begin(); it != levels_.end();) {
        auto& v = it->plugins;
        v.erase(std::remove(v.begin(), v.end(), plugin), v.end());
        it = v.empty() ? levels_.erase(it) : it + 1;
    }
}

std::vector<duPlugin*> duZorderList::PaintOrder() const {
    std::vector<duPlugin*> out;
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level)
        out.insert(out.end(), level->plugins.begin(), level->plugins.end());
    return out;
}

std::vector<duPlugin*> duZorderList::HitOrder() const {
    std::vector<duPlugin*> out;
    for (const Level& level : levels_)
        out.insert(out.end(), level.plugins.rbegin(), level.plugins.rend());
    return out;
}
