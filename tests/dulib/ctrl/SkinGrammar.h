#pragma once
// Skins generated from the skin grammar for the robustness harness: a theme
// of fonts, pictures, styles and a region, and one duwindow "W" holding a
// random tree of every control class, with attribute values that are mostly
// ordinary and sometimes extreme (the ends of the int range, huge sizes,
// negative speeds, words where numbers belong, long texts with surrogate
// pairs). The same seed always gives the same skin.
#include <random>
#include <string>
#include <vector>

#include "tests/common/TempDir.h"

namespace guitest {

struct GeneratedSkin {
    std::wstring document;  // config.xml's text
    // Names the harness may use: styles of the theme (and some that do not
    // exist), and the tags and names of the generated controls.
    std::vector<std::wstring> styleNames;
    int width = 0, height = 0;  // the window's size as the skin gives it
};

class SkinGrammar {
public:
    // extremeShare: the share (0..1) of attribute values taken from the
    // extreme pool.
    SkinGrammar(unsigned seed, double extremeShare);

    GeneratedSkin Generate();
    // Writes the document and the pictures it names into dir.
    static bool Write(const TempDir& dir, const GeneratedSkin& skin);

private:
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    template <typename T>
    const T& Pick(const std::vector<T>& v) { return v[static_cast<size_t>(Between(0, static_cast<int>(v.size()) - 1))]; }

    // Attribute text: a number in [low, high] or, now and then, an extreme.
    std::wstring Number(int low, int high);
    std::wstring Flag();
    std::wstring Colour();
    std::wstring State();
    std::wstring Text();
    std::wstring Name(const std::wstring& stem);
    std::wstring Attr(const char* name, const std::wstring& value);

    std::wstring Theme();
    std::wstring StyleItem();
    std::wstring Placement(bool inList);
    std::wstring Control(int depth, int* budget, bool inList);
    std::wstring ListBox(int depth, int* budget);

    std::mt19937 rng_;
    double extreme_;
    int serial_ = 0;
    GeneratedSkin skin_;
};

// Text made safe for a double-quoted XML attribute.
std::wstring XmlEscape(const std::wstring& text);

}  // namespace guitest
