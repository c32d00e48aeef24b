#pragma once
// The robustness harness: a real skinned window (GuiHarness's TestWindow on a
// skin from SkinGrammar) driven for a number of seeded random steps - pointer
// moves, presses and releases inside and outside the window and with the
// capture stolen, the wheel, keys and characters, focus changes, visibility,
// enable and disable, text, style and skin changes, clones, moves and
// destroys, also from inside notification handlers - with the engine's
// invariants checked after every step. The same seed replays the same run.
#include <windows.h>

#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/common/TempDir.h"
#include "tests/dulib/ctrl/GuiHarness.h"
#include "tests/dulib/ctrl/SkinGrammar.h"

namespace guitest {

struct FuzzOutcome {
    bool ok = true;
    int steps = 0;          // steps run
    std::string failure;    // what broke and where, with the last steps
};

class EngineFuzzer {
public:
    // extremeShare: share of extreme attribute values in the generated skins.
    // scaled: the window opens at a display scale above 100 % and moves
    // between scales (WM_DPICHANGED) among the window steps; unscaled runs
    // replay exactly as they did before scaled ones existed.
    EngineFuzzer(unsigned seed, double extremeShare, bool scaled = false);
    ~EngineFuzzer();
    EngineFuzzer(const EngineFuzzer&) = delete;
    EngineFuzzer& operator=(const EngineFuzzer&) = delete;

    FuzzOutcome Run(int steps);

    // The step running now (for a crash report).
    static int CurrentStep();
    static unsigned CurrentSeed();
    // The last steps taken, oldest first.
    static std::string RecentSteps();

private:
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    void Log(const std::string& what);

    bool OpenWindow();
    std::vector<duPlugin*> Plugins();
    duPlugin* AnyPlugin(bool withRoot);
    POINT AnyPoint();
    unsigned AnyMods();
    std::wstring AnyText();
    void Step();
    void PointerStep();
    void KeyStep();
    void TreeStep(bool fromHandler);
    void ControlStep();
    void WindowStep();
    void ScaleStep();
    void OnNotify(duPlugin* plugin, const NotifyRecord& record);
    void Drain();

    unsigned seed_;
    std::mt19937 rng_;
    double extreme_;
    bool scaled_;
    TempDir skinA_, skinB_;
    GeneratedSkin generated_;
    std::unique_ptr<TestWindow> window_;
    std::unique_ptr<CaptureThief> thief_;
    bool onSkinB_ = false;
    int handlerDepth_ = 0;
    int cloneIndex_ = 1000;
    int windowsOpened_ = 0;
};

// The engine's invariants for one attached window: tree links, name map and
// z-order list, focus/hot/capture at live shown controls of the window, the
// caret only with a focused edit, the lists' rows, timers and hooks at live
// plugins. Empty when all hold, else what does not.
std::string CheckInvariants(HWND hwnd);

// GDI and USER objects of this process. GetGuiResources counts them on
// Windows; Wine answers 0 there, so GDI objects are then counted in the
// process's GDI handle table and USER objects as the thread's windows.
// The system fills caches of its own as a program runs (Wine's pool of
// window DCs grows by a DC, a region and a bitmap for each one held at once
// beyond its size; brushes and fonts of system colours and menus are made on
// first use), so counts are compared after the same work has run once.
struct GuiObjects {
    long gdi = 0;
    long user = 0;
};
GuiObjects CountGuiObjects();

}  // namespace guitest
