#include "app/AppState.h"
#include "app/ControlHandlers.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "app/SetupPage.h"
#include "app/SetupRows.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/WindowHost.h"
#include "support/CodedConversion.h"
#include "support/Log.h"
#include "tests/common/AccessibleClient.h"
#include "tests/common/TempDir.h"
#include "tests/common/WindowImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Rgb {
    int r, g, b;
};

// The window's last full rendering, read back pixel by pixel.
Rgb PixelAt(HWND hwnd, int x, int y) {
    const DWORD p = WindowImagePixel(hwnd, x, y);
    if (p == 0xDEADBEEF) return {-1, -1, -1};
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
}

bool Near(Rgb a, Rgb b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        InitEngine(instance);
        App().uiThreadId = ::GetCurrentThreadId();
        App().prepareWorkerEnabled = false;  // the page alone; PrepareFlowTest runs the worker
        App().windowManager = CreateWindowManager(nullptr);
        RegisterMainWindowClass(instance);
    }
    static void TearDownTestSuite() {
        if (App().windowManager) App().windowManager->Destroy();
        App().windowManager = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(App().windowManager, nullptr);
        App().lastShownProgress = 0;
        App().customRowExpanded = false;
        hwnd_ = CreateMainWindow(::GetModuleHandleW(nullptr), L"在线安装");
        ASSERT_NE(hwnd_, nullptr);
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
        Pump();
    }
    void TearDown() override {
        if (::IsWindow(hwnd_)) {
            for (UINT_PTR id : {IDT_PREPARE_INFO, IDT_SETUP_INFO, IDT_ITEM_PROGRESS}) ::KillTimer(hwnd_, id);
            ::DestroyWindow(hwnd_);
        }
        Pump();
    }
    void Repaint() {
        WindowHost* host = WindowHost::FromHwnd(hwnd_);
        ASSERT_NE(host, nullptr);
        host->PaintWindow(nullptr);
    }

    HWND hwnd_ = nullptr;
};

} // namespace

TEST_F(MainWindow, BindsEveryControlTheFlowNeedsAndProposesAFolder) {
    for (const wchar_t* name :
         {L"MainWindow", L"PrepareProgressBar", L"PrepareProgressInfo", L"PrepareProgressValue", L"SetupProgressBar",
          L"SetupProgressInfo", L"SetupProgressValue", L"PrepareLayout", L"SetupLayout", L"FinishLayout",
          L"RetryPrepareLayout", L"SetupList", L"SetupItem_", L"FinishList", L"FinishItem_", L"StartSetupBtn",
          L"AgreementCheckBox", L"AgreementBtn", L"CustomSetupBtn", L"CustomSetupStaticBtn", L"SelectDirStatic",
          L"SelectDirBtn", L"RunAppCheckBox", L"FinishSetupBtn", L"MainWndClient"})
        EXPECT_NE(GetPluginByName(hwnd_, name), nullptr) << "missing control";
    EXPECT_EQ(App().prepareBar, GetPluginByName(hwnd_, L"PrepareProgressBar"));
    EXPECT_STREQ(GetPluginByName(hwnd_, L"MainWindow")->GetText(), L"在线安装");
    std::wstring folder = GetPluginByName(hwnd_, L"SelectDirStatic")->GetText();
    EXPECT_GT(folder.size(), 14u);
    EXPECT_EQ(folder.substr(folder.size() - 13), L"\\QRN\\Kestrane") << "no startup.ini: the default folder";
    EXPECT_TRUE(GetPluginByName(hwnd_, L"PrepareLayout")->IsVisible());
    EXPECT_FALSE(GetPluginByName(hwnd_, L"SetupLayout")->IsVisible());
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    EXPECT_EQ(window.right - window.left, 610);
    EXPECT_EQ(window.bottom - window.top, 410);
}

TEST_F(MainWindow, ProgressNeverMovesBackAndIgnoresValuesAbove100) {
    AppState& app = App();
    auto* bar = dynamic_cast<duProgress*>(app.prepareBar);
    ASSERT_NE(bar, nullptr);
    SetProgressValue(app.prepareBar, app.prepareValue, 30);
    EXPECT_EQ(bar->GetPos(), 30);
    EXPECT_STREQ(app.prepareValue->GetText(), L"30%");
    for (int stale : {20, 30, 101, 250}) {
        SetProgressValue(app.prepareBar, app.prepareValue, stale);
        EXPECT_EQ(bar->GetPos(), 30) << stale;
        EXPECT_STREQ(app.prepareValue->GetText(), L"30%");
    }
    SetProgressValue(nullptr, app.prepareValue, 60);  // a missing control: nothing
    EXPECT_EQ(app.lastShownProgress, 30);
    SetProgressValue(app.prepareBar, app.prepareValue, 100);
    EXPECT_EQ(bar->GetPos(), 100);
    EXPECT_STREQ(app.prepareValue->GetText(), L"100%");
}

TEST_F(MainWindow, InfoLineAnimationCyclesThroughZeroToFiveDots) {
    AppState& app = App();
    app.prepareInfoText = L"正在检测Office";
    app.prepareDots = 0;
    const wchar_t* expected[] = {L"正在检测Office", L"正在检测Office.", L"正在检测Office..", L"正在检测Office...",
                                 L"正在检测Office....", L"正在检测Office.....", L"正在检测Office"};
    for (const wchar_t* text : expected) {
        ::SendMessageW(hwnd_, WM_TIMER, IDT_PREPARE_INFO, 0);
        EXPECT_STREQ(app.prepareInfo->GetText(), text);
    }
    ::SendMessageW(hwnd_, WM_TIMER, 999, 0);  // unknown timers are ignored
    EXPECT_STREQ(app.prepareInfo->GetText(), L"正在检测Office");
}

TEST_F(MainWindow, UnknownControlsAndCodesDoNothing) {
    duPlugin* minimise = GetPluginByName(hwnd_, L"MainWndBtn_Min");
    ASSERT_NE(minimise, nullptr);
    NotifyRecord wrongCode{DUM_CKCLICK, 0, 0};
    EXPECT_EQ(::SendMessageW(hwnd_, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(minimise),
                             reinterpret_cast<LPARAM>(&wrongCode)),
              0);
    EXPECT_FALSE(::IsIconic(hwnd_));
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    duPlugin* unknown = GetPluginByName(hwnd_, L"PrepareProgressInfo");
    EXPECT_EQ(::SendMessageW(hwnd_, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(unknown), reinterpret_cast<LPARAM>(&click)),
              0);
    EXPECT_EQ(DispatchControlNotify(nullptr, DUM_BTNCLICK, 0, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(hwnd_));

    EXPECT_EQ(::SendMessageW(hwnd_, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(minimise), reinterpret_cast<LPARAM>(&click)),
              0);
    EXPECT_TRUE(::IsIconic(hwnd_));
}

TEST_F(MainWindow, AgreementBoxEnablesTheStartButtonAndTheFolderRowGrowsTheWindow) {
    auto* agreement = dynamic_cast<duCheckBox*>(GetPluginByName(hwnd_, L"AgreementCheckBox"));
    duPlugin* start = GetPluginByName(hwnd_, L"StartSetupBtn");
    ASSERT_TRUE(agreement && start);
    EXPECT_TRUE(agreement->IsChecked());
    agreement->SetCheck(FALSE);
    DispatchControlNotify(agreement, DUM_CKCLICK, 0, 0);
    EXPECT_TRUE(start->IsDisable());
    agreement->SetCheck(TRUE);
    DispatchControlNotify(agreement, DUM_CKCLICK, 1, 0);
    EXPECT_FALSE(start->IsDisable());

    auto* toggle = dynamic_cast<duCheckBox*>(GetPluginByName(hwnd_, L"CustomSetupStaticBtn"));
    auto* partner = dynamic_cast<duCheckBox*>(GetPluginByName(hwnd_, L"CustomSetupBtn"));
    ASSERT_TRUE(toggle && partner);
    toggle->SetCheck(TRUE);
    DispatchControlNotify(toggle, DUM_CKCLICK, 1, 0);
    EXPECT_TRUE(partner->IsChecked());
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    EXPECT_EQ(window.bottom - window.top, 450);
    partner->SetCheck(FALSE);
    DispatchControlNotify(partner, DUM_CKCLICK, 0, 0);
    EXPECT_FALSE(toggle->IsChecked());
    ::GetWindowRect(hwnd_, &window);
    EXPECT_EQ(window.bottom - window.top, 410);

    EXPECT_EQ(RemoveSuffix(L"\\", L"D:\\"), L"D:");
    EXPECT_EQ(RemoveSuffix(L"\\", L"D:\\Apps"), L"D:\\Apps");
    EXPECT_EQ(RemoveSuffix(L"\\", L""), L"");
}

TEST_F(MainWindow, PixelsOfThePreparePage) {
    Repaint();
    const Rgb titleBar{56, 60, 66};
    EXPECT_TRUE(Near(PixelAt(hwnd_, 200, 10), titleBar));
    // The title text: light pixels in the middle of the dark bar.
    int light = 0;
    for (int y = 12; y < 34; ++y)
        for (int x = 270; x < 340; ++x) {
            Rgb p = PixelAt(hwnd_, x, y);
            if (p.r > 200 && p.g > 200 && p.b > 200) ++light;
        }
    EXPECT_GT(light, 30) << "title text drawn";
    // Progress bar at 0: the 4-pixel track only.
    EXPECT_TRUE(Near(PixelAt(hwnd_, 10, 362), Rgb{72, 144, 182})) << "empty bar";
    EXPECT_TRUE(Near(PixelAt(hwnd_, 600, 364), Rgb{72, 144, 182}));
    // The white client under the bar.
    EXPECT_TRUE(Near(PixelAt(hwnd_, 300, 395), Rgb{255, 255, 255}));

    // The close button's cell changes when the pointer is over it.
    std::vector<Rgb> normal;
    for (int x = 566; x < 604; x += 3) normal.push_back(PixelAt(hwnd_, x, 25));
    ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(585, 25));
    Repaint();
    int changed = 0;
    for (int i = 0, x = 566; x < 604; x += 3, ++i)
        if (!Near(PixelAt(hwnd_, x, 25), normal[static_cast<size_t>(i)], 8)) ++changed;
    EXPECT_GT(changed, 3) << "hover cell differs from the normal cell";

    SetProgressValue(App().prepareBar, App().prepareValue, 50);
    Repaint();
    EXPECT_FALSE(Near(PixelAt(hwnd_, 10, 362), Rgb{72, 144, 182})) << "filled part of the bar";
    EXPECT_TRUE(Near(PixelAt(hwnd_, 590, 362), Rgb{72, 144, 182})) << "rest of the bar still empty";
}

TEST_F(MainWindow, CloseWithWParamOneClosesAtOnceAndLogs) {
    TempDir dir;
    std::string path = CCodedConversion().WideToAnsi(dir.File(L"close.log"));
    SetProcessLog(OpenLog(path.c_str()));
    ::SendMessageW(hwnd_, WM_CLOSE, 1, 0);
    SetProcessLog(nullptr);
    EXPECT_FALSE(::IsWindow(hwnd_));
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    std::string log = ReadAll(path);
    EXPECT_NE(log.find("[INFORMATION] " + CCodedConversion().WideToAnsi(L"在线安装工具退出！")), std::string::npos)
        << log;
}

namespace {

// Answers the question box "提示" with a button once it is up, from another
// thread while the window's thread sits in the box's modal loop.
class QuestionAnswerer {
public:
    explicit QuestionAnswerer(int button)
        : thread_([this, button] {
              for (int i = 0; i < 400; ++i) {
                  HWND box = ::FindWindowW(L"#32770", L"提示");
                  if (box) {
                      wchar_t text[256] = {};
                      ::GetDlgItemTextW(box, 0xFFFF, text, 256);
                      text_ = text;
                      ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
                      return;
                  }
                  ::Sleep(50);
              }
          }) {}
    ~QuestionAnswerer() { thread_.join(); }
    // The question's text, after the box was answered.
    std::wstring Text() {
        thread_.join();
        thread_ = std::thread([] {});
        return text_;
    }

private:
    std::wstring text_;
    std::thread thread_;
};

} // namespace

TEST_F(MainWindow, CloseAsksFirstAndCancelKeepsTheWindow) {
    {
        QuestionAnswerer cancel(IDCANCEL);
        ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);  // returns once the box is answered
        EXPECT_EQ(cancel.Text(), L"确定退出Kestrane在线安装工具？");
    }
    EXPECT_TRUE(::IsWindow(hwnd_));
    MSG quit{};
    EXPECT_FALSE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    {
        QuestionAnswerer ok(IDOK);
        ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        EXPECT_EQ(ok.Text(), L"确定退出Kestrane在线安装工具？");
    }
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindow, CloseWhileTheFinishPageShowsDoesNotAsk) {
    duPlugin* finish = GetPluginByName(hwnd_, L"FinishLayout");
    ASSERT_NE(finish, nullptr);
    SetPluginVisible(finish, TRUE);
    ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);  // a question would block here
    EXPECT_FALSE(::IsWindow(hwnd_));
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

namespace {

void Key(HWND hwnd, UINT vk) {
    ::SendMessageW(hwnd, WM_KEYDOWN, vk, 1);
    ::SendMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
}

std::wstring FocusName(HWND hwnd) {
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    duPlugin* focus = host ? host->GetFocusPlugin() : nullptr;
    return focus ? focus->GetName() : L"(none)";
}

SetupInfo Package(const wchar_t* name, int type) {
    SetupInfo item;
    item.setup_name = name;
    item.name = name;
    item.version = L"1.0";
    item.type = type;
    item.size = 100;
    return item;
}

// The Setup page with a mandatory and an optional package, as the
// preparation leaves it.
void ShowSetupPageWithTwoRows() {
    ASSERT_TRUE(AddSetupRow(Package(L"Client", 1), 1));
    ASSERT_TRUE(AddSetupRow(Package(L"Runtime", 16), 2));
    if (duPlugin* prepare = FindControl(L"PrepareLayout")) SetPluginVisible(prepare, FALSE);
    ShowSetupPage();
}

} // namespace

TEST_F(MainWindow, EscAndAltF4AskToCloseAsTheCloseButtonDoes) {
    {
        QuestionAnswerer cancel(IDCANCEL);
        Key(hwnd_, VK_ESCAPE);  // the close button's click: it posts the close
        Pump();
        EXPECT_EQ(cancel.Text(), L"确定退出Kestrane在线安装工具？");
    }
    EXPECT_TRUE(::IsWindow(hwnd_));
    {
        QuestionAnswerer ok(IDOK);
        ::SendMessageW(hwnd_, WM_SYSKEYDOWN, VK_F4, 0x20000001);  // Alt held
        Pump();
        EXPECT_EQ(ok.Text(), L"确定退出Kestrane在线安装工具？");
    }
    EXPECT_FALSE(::IsWindow(hwnd_));
}

TEST_F(MainWindow, SetupPageOpensOnTheStartButtonAndTabReachesEveryControl) {
    ShowSetupPageWithTwoRows();
    EXPECT_EQ(FocusName(hwnd_), L"StartSetupBtn");
    // The folder row is below the window until it is unfolded.
    const std::vector<std::wstring> order = {L"AgreementCheckBox", L"AgreementBtn",     L"CustomSetupStaticBtn",
                                             L"MainWndBtn_Min",    L"MainWndBtn_Close", L"SetupItem_1"};
    for (const std::wstring& name : order) {
        Key(hwnd_, VK_TAB);
        EXPECT_EQ(FocusName(hwnd_), name);
    }
    Key(hwnd_, VK_DOWN);
    EXPECT_EQ(FocusName(hwnd_), L"SetupItem_2");
    Key(hwnd_, VK_SPACE);
    auto* box = dynamic_cast<duCheckBox*>(GetPluginByName(hwnd_, L"SetupItemCheckBox_2"));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->IsChecked());

    for (int i = 0; i < 4; ++i) Key(hwnd_, VK_TAB);  // start, agreement, link, folder toggle
    ASSERT_EQ(FocusName(hwnd_), L"CustomSetupStaticBtn");
    Key(hwnd_, VK_SPACE);  // unfolds the folder row
    Key(hwnd_, VK_TAB);
    EXPECT_EQ(FocusName(hwnd_), L"SelectDirStatic");
    Key(hwnd_, VK_TAB);
    EXPECT_EQ(FocusName(hwnd_), L"SelectDirBtn");

    // The skin's ring colour, left of the folder button (565..605, 405..445).
    Repaint();
    EXPECT_TRUE(Near(PixelAt(hwnd_, 562, 425), Rgb{0, 95, 184}));
    EXPECT_FALSE(Near(PixelAt(hwnd_, 561, 425), Rgb{0, 95, 184}));
}

TEST_F(MainWindow, ControlsWithoutTextHaveNamesForScreenReaders) {
    ShowSetupPageWithTwoRows();
    a11y::Object client = a11y::ClientOf(hwnd_);
    ASSERT_TRUE(client);
    EXPECT_EQ(a11y::Name(client), L"在线安装");
    struct {
        const wchar_t* name;
        long role;
    } expected[] = {
        {L"最小化", ROLE_SYSTEM_PUSHBUTTON},
        {L"关闭", ROLE_SYSTEM_PUSHBUTTON},
        {L"阅读并同意使用协议", ROLE_SYSTEM_CHECKBUTTON},
        {L"使用协议", ROLE_SYSTEM_LINK},
        {L"选择安装目录", ROLE_SYSTEM_PUSHBUTTON},
        {L"安装到", ROLE_SYSTEM_TEXT},  // the edit, named by the label beside it
        {L"选择安装内容", ROLE_SYSTEM_PROPERTYPAGE},
        {L"Runtime 1.0", ROLE_SYSTEM_LISTITEM},
        {L"总进度", ROLE_SYSTEM_PROGRESSBAR},
    };
    for (const auto& e : expected) {
        a11y::Object o = a11y::Find(client, e.name, e.role);
        EXPECT_TRUE(o) << "no object named " << CCodedConversion().WideToUtf8(e.name);
        EXPECT_EQ(a11y::Role(o), e.role) << CCodedConversion().WideToUtf8(e.name);
    }
    a11y::Object folder = a11y::Find(client, L"安装到", ROLE_SYSTEM_TEXT);
    EXPECT_TRUE(a11y::State(folder) & STATE_SYSTEM_OFFSCREEN) << "folded away";
    EXPECT_EQ(a11y::Value(folder), GetPluginByName(hwnd_, L"SelectDirStatic")->GetText());
    EXPECT_TRUE(a11y::State(a11y::Find(client, L"准备安装")) & STATE_SYSTEM_INVISIBLE);
}
