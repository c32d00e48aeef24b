#pragma once
// Tells accessibility clients what changed in a window: each object's name,
// value, state, visibility and number of children as clients last could see
// them, and the WinEvents (NotifyWinEvent) for the differences. An object
// seen for the first time raises nothing; its parent's child count does.
#include <windows.h>

#include <map>
#include <string>

class duPlugin;
class WindowHost;

class AccessEvents {
public:
    explicit AccessEvents(WindowHost* host) : host_(host) {}

    // Compares the objects whose name may depend on `changed`: everything
    // under its nearest object ancestor (a row's name is its statics' texts,
    // a check box's may be the texts beside it).
    void CompareAround(duPlugin* changed);
    // After a repaint of `repainted` alone: a control repainted with the text
    // and visibility it had (a hover, a press) changed no name or child count
    // around it, so only it and what lies inside it are compared.
    void CompareRepainted(duPlugin* repainted);
    // Raises one event about a plugin (the root as the client itself).
    void Raise(DWORD event, duPlugin* plugin);
    void Forget(duPlugin* plugin);

private:
    struct Seen {
        std::wstring text;  // the plugin's own, on which names around it depend
        std::wstring name;
        std::wstring value;
        long state = 0;
        bool visible = false;
        size_t kids = 0;
    };
    void Compare(duPlugin* plugin);
    void CompareOne(duPlugin* plugin);

    WindowHost* host_;
    std::map<duPlugin*, Seen> seen_;
};
