#pragma once
// Plugins of one window by painting level. Level 0 of the list is the
// top-most zorder. Painting walks from the bottom level up, each level in
// insertion order; hit testing walks the other way round, so what is painted
// last is hit first.
#include <functional>
#include <vector>

class duPlugin;

class duZorderList {
public:
    struct Level {
        int zorder;
        std::vector<duPlugin*> plugins;
    };

    void Add(duPlugin* plugin);
    // Removes every entry of the plugin, wherever its level.
    void Remove(duPlugin* plugin);
    void Clear() { levels_.clear(); }

    const std::vector<Level>& Levels() const { return levels_; }
    // Plugins in painting order (bottom first).
    std::vector<duPlugin*> PaintOrder() const;
    // Plugins in hit-test order (top first).
    std::vector<duPlugin*> HitOrder() const;

private:
    std::vector<Level> levels_;  // sorted by zorder, highest first
};
