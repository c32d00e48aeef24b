#include "app/SetupRows.h"

#include "app/Controls.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/duListBoxEx.h"

#include <string>

namespace {

duPlugin* Row(const wchar_t* templateName, int n) {
    return FindControl((std::wstring(templateName) + std::to_wstring(n)).c_str());
}

} // namespace

bool AddSetupRow(const SetupInfo& item, int n) {
    duPlugin* list = FindControl(L"SetupList");
    duPlugin* rowTemplate = FindControl(L"SetupItem_");
    if (!list || !rowTemplate) return false;
    duPlugin* row = ClonePlugin(rowTemplate, list, list->GetLastChild(), n);
    if (!row) return false;
    row->SetVisible(TRUE);
    row->SetExtra(item.setup_name.c_str());

    duPlugin* icon = Row(L"SetupItemIconLayout_", n);
    duPlugin* name = Row(L"SetupItemStaticName_", n);
    duPlugin* check = Row(L"SetupItemCheckBox_", n);
    if (!icon || !name || !check) return false;
    const bool optional = item.type == 16;
    icon->SetVisible(!optional);
    check->SetVisible(optional);
    name->SetText((item.name + L" " + item.version).c_str());
    row->SetVisible(item.type != 4);

    if (auto* listBox = dynamic_cast<duListBoxEx*>(list)) listBox->RefreshItems();
    RedrawPlugin(list, TRUE);
    return true;
}

void ShowSetupPage() {
    duPlugin* client = FindControl(L"MainWndClient");
    duPlugin* setup = FindControl(L"SetupLayout");
    if (!client || !setup) return;
    SetPluginVisible(setup, TRUE);
    RedrawPlugin(client, TRUE);
    FocusFirstControl(setup);  // the start button: a reader announces the new page
}
