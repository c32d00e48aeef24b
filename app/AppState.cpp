#include "app/AppState.h"

#include "app/RunFolder.h"

AppState& App() {
    static AppState state;
    return state;
}

ServiceFacts CurrentServiceFacts() {
    const AppState& app = App();
    ServiceFacts facts;
    facts.setupName = app.productCode;
    facts.windowsName = app.windowsName;
    facts.officeName = app.officeName;
    facts.dotNetName = app.dotNetName;
    facts.setupType = app.listRequested;
    facts.errorCode = app.resultCode;
    facts.errorMessage = app.resultText;
    return facts;
}
