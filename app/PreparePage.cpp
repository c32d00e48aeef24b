#include "app/PreparePage.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "dulib/ctrl/Engine.h"

void StartPrepare() {
    AppState& app = App();
    app.lastShownProgress = 0;
    if (auto* bar = dynamic_cast<duProgress*>(app.prepareBar)) bar->SetPos(0);
    RedrawPlugin(app.prepareBar, TRUE);
    SetControlText(app.prepareValue, L"0%");
    app.prepareInfoText.clear();
    SetControlText(app.prepareInfo, L"");
    ::SetTimer(app.mainWindow, IDT_PREPARE_INFO, 300, nullptr);
}
