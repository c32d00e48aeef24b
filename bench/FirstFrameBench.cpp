// The installer's first frame, taken apart: loading its own skin from its
// resources (as the installer does before its window exists: the document and
// the fonts; each picture is decoded at its first draw), then decoding every
// picture and creating the fonts, each timed again on its own.
// Prints "breakdown<TAB>skin=<ms> pictures=<ms> fonts=<ms> (<n> pictures, <m> fonts)",
// medians of several loads.
#include "dulib/ctrl/Engine.h"
#include "dulib/res/StateFlags.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duSkin.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Decodes every picture of the skin again from its resource.
double TimePictures(duSkin* skin, int& count) {
    duResManager* resources = skin->GetResManager();
    count = resources->GetResObjCount(RES_IMAGE);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        auto* image = dynamic_cast<duImage*>(resources->GetResObjByIndex(i, RES_IMAGE));
        SkinFile file;
        if (!image || !skin->OpenSkinFile(image->GetFileName(), L"PNG", &file)) continue;
        image->LoadFromStream(file.stream);
        skin->CloseSkinFile(file);
    }
    return MsSince(start);
}

// Creates every font of the skin again.
double TimeFonts(duSkin* skin, int& count) {
    duResManager* resources = skin->GetResManager();
    count = resources->GetResObjCount(RES_FONT);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        if (auto* font = dynamic_cast<duFont*>(resources->GetResObjByIndex(i, RES_FONT))) font->RecreateFont();
    return MsSince(start);
}
} // namespace

int main() {
    InitEngine(::GetModuleHandleW(nullptr));
    std::vector<double> skins, pictures, fonts;
    int pictureCount = 0, fontCount = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        duWindowManager* manager = CreateWindowManager(nullptr);
        skins.push_back(MsSince(start));
        if (!manager) {
            std::fprintf(stderr, "the installer's skin did not load\n");
            return 1;
        }
        pictures.push_back(TimePictures(manager, pictureCount));
        fonts.push_back(TimeFonts(manager, fontCount));
        manager->Destroy();
    }
    std::printf("breakdown\tskin=%.1f pictures=%.1f fonts=%.1f (%d pictures, %d fonts)\n", Median(skins),
                Median(pictures), Median(fonts), pictureCount, fontCount);
    ReleaseEngine();
    return 0;
}
