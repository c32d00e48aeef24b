#include "app/ControlHandlers.h"

#include "app/AppState.h"
#include "app/FinishPage.h"
#include "app/PreparePage.h"
#include "app/SetupPage.h"
#include "app/StartInstall.h"
#include "dulib/ctrl/Engine.h"

namespace {

void MinimiseWindow(duPlugin*, int, int) { ::ShowWindow(App().mainWindow, SW_SHOWMINIMIZED); }
void AskToClose(duPlugin*, int, int) { ::PostMessageW(App().mainWindow, WM_CLOSE, 0, 0); }

} // namespace

const ControlHandlerEntry ControlHandlerTable[] = {
    {L"MainWndBtn_Min", DUM_BTNCLICK, MinimiseWindow},
    {L"MainWndBtn_Close", DUM_BTNCLICK, AskToClose},
    {L"CustomSetupBtn", DUM_CKCLICK, OnCustomSetupToggle},
    {L"CustomSetupStaticBtn", DUM_CKCLICK, OnCustomSetupToggle},
    {L"StartSetupBtn", DUM_BTNCLICK, OnStartSetupButton},
    {L"FinishSetupBtn", DUM_BTNCLICK, OnFinishButton},
    {L"AgreementCheckBox", DUM_CKCLICK, OnAgreementCheck},
    {L"AgreementBtn", DUM_BTNCLICK, OnAgreementButton},
    {L"SelectDirBtn", DUM_BTNCLICK, OnSelectDirButton},
    {L"RetryPrepareBtn", DUM_BTNCLICK, OnRetryPrepare},
    {L"CancelPrepareBtn", DUM_BTNCLICK, AskToClose},
    {nullptr, 0, nullptr},
};

LRESULT DispatchControlNotify(duPlugin* control, int code, int param1, int param2) {
    if (!IsValidPlugin(control)) return 0;
    const wchar_t* name = control->GetName();
    for (const ControlHandlerEntry* row = ControlHandlerTable; row->name; ++row) {
        if (row->code == code && MatchName(row->name, name)) {
            row->handler(control, param1, param2);
            break;
        }
    }
    return 0;
}
