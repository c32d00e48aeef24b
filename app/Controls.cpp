#include "app/Controls.h"

#include "app/AppState.h"
#include "app/UiThread.h"
#include "dulib/ctrl/Engine.h"

void SetProgressValue(duPlugin* bar, duPlugin* valueText, int percent) {
    RunOnUi([bar, valueText, percent] {
        AppState& app = App();
        if (!IsValidPlugin(bar) || !IsValidPlugin(valueText)) return;
        if (percent > 100 || percent <= app.lastShownProgress) return;
        if (auto* progress = dynamic_cast<duProgress*>(bar)) progress->SetPos(percent);
        RedrawPlugin(bar, TRUE);
        wchar_t text[8] = {};
        _snwprintf_s(text, 8, _TRUNCATE, L"%d%%", percent);
        valueText->SetText(text);
        RedrawPlugin(valueText, TRUE);
        app.lastShownProgress = percent;
    });
}

void SetControlText(duPlugin* control, const std::wstring& text) {
    RunOnUi([control, text] {
        if (!IsValidPlugin(control)) return;
        // The same text draws the same pixels: a redraw would only cost an update.
        const wchar_t* shown = control->GetText();
        if (shown && text == shown) return;
        control->SetText(text.c_str());
        RedrawPlugin(control, TRUE);
    });
}

std::wstring LoadResText(UINT id) {
    wchar_t buffer[1024] = {};
    int len = ::LoadStringW(::GetModuleHandleW(nullptr), id, buffer, 1024);
    return len > 0 ? std::wstring(buffer, static_cast<size_t>(len)) : std::wstring();
}

duPlugin* FindControl(const wchar_t* name) { return GetPluginByName(App().mainWindow, name); }
