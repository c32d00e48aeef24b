#include "app/InstallProgress.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/UiThread.h"
#include "support/PackageList.h"

ProgressBudget CurrentProgressBudget() {
    const int count = PackageList.Count();
    ProgressBudget budget{};
    budget.share = 100 / (count > 0 ? count : 1);
    budget.downloadPart = static_cast<int>(budget.share * 0.8);
    budget.installPart = budget.share - budget.downloadPart;
    return budget;
}

void SetSetupInfoText(const std::wstring& text) {
    RunOnUi([text] { App().setupInfoText = text; });
}

std::wstring QuotedStep(const wchar_t* prefix, const std::wstring& name) {
    wchar_t buffer[1024] = {};
    _snwprintf_s(buffer, 1024, _TRUNCATE, L"%s“%s”", prefix, name.c_str());
    return buffer;
}

void AddSetupProgress(int percent) {
    AppState& app = App();
    const int sum = app.progressSum.fetch_add(percent) + percent;
    SetProgressValue(app.setupBar, app.setupValue, sum);
}
