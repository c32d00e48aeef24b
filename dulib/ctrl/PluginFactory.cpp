#include "dulib/ctrl/PluginFactory.h"

#include <cwchar>

#include "dulib/ctrl/duButton.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duLayout.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duProgress.h"
#include "dulib/ctrl/duRadio.h"
#include "dulib/ctrl/duScroll.h"
#include "dulib/ctrl/duStatic.h"
#include "dulib/ctrl/duStyledPlugin.h"
#include "dulib/ctrl/duWindow.h"

namespace {

struct StandIn {
    const wchar_t* tag;
    const wchar_t* className;
};

// Tags of controls that are not implemented here: each gets a duStyledPlugin
// that loads, lays out and draws its style like a static.
const StandIn kStandIns[] = {
    {L"tabbutton", L"duTabButton"},
    {L"listbox", L"duListBox"},
    {L"reportview", L"duReportView"},
    {L"combobox", L"duComboBox"},
    {L"treectrl", L"duTreeCtrl"},
    {L"menu", L"duMenu"},
    {L"menuitem", L"duMenuItem"},
    {L"menubar", L"duMenuBar"},
    {L"calendarctrl", L"duCalendarMonth"},
    {L"mledit", L"duMLEdit"},
    {L"staticex", L"duStaticEx"},
    {L"xmlstatic", L"duXmlStatic"},
    {L"link", L"duLink"},
    {L"slider", L"duSlider"},
    {L"spin", L"duSpin"},
    {L"splitter", L"duSplitter"},
    {L"scrollview", L"duScrollView"},
    {L"scrollcontainer", L"duScrollContainer"},
    {L"gifctrl", L"duGifCtrl"},
    {L"animatectrl", L"duAnimateCtrl"},
    {L"ledtimer", L"duLEDTimer"},
    {L"outlookbar", L"duOutlookBar"},
    {L"impanelnode", L"duIMPanelNode"},
    {L"qvlistbox", L"QvListBox"},
    {L"qvlistboxex", L"QvListBoxEx"},
    {L"hwndobj", L"duHwndObj"},
};

bool Is(const wchar_t* tag, const wchar_t* word) { return _wcsicmp(tag, word) == 0; }

}  // namespace

duPlugin* CreatePluginByTag(const wchar_t* tag) {
    if (!tag || !tag[0]) return nullptr;
    if (Is(tag, L"duwindow")) return new duWindow();
    if (Is(tag, L"button")) return new duButton();
    if (Is(tag, L"layout")) return new duLayout();
    if (Is(tag, L"checkbox")) return new duCheckBox();
    if (Is(tag, L"radio")) return new duRadio();
    if (Is(tag, L"static")) return new duStatic();
    if (Is(tag, L"progress")) return new duProgress();
    if (Is(tag, L"listboxex")) return new duListBoxEx();
    if (Is(tag, L"scrollbar")) return new duScroll();
    if (Is(tag, L"edit")) return new duEdit();
    for (const StandIn& s : kStandIns)
        if (Is(tag, s.tag)) return new duStyledPlugin(s.className);
    return nullptr;
}
