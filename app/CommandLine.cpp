#include "app/CommandLine.h"

#include "app/ExitCodes.h"
#include "support/CommandSwitch.h"

#include <set>

namespace {

enum class ValueRule { None, Required, Optional };

struct KnownSwitch {
    const wchar_t* name;
    ValueRule value;
};

// "sns" is read by the service client itself; here it is only allowed.
const KnownSwitch kSwitches[] = {
    {L"passive", ValueRule::None}, {L"quiet", ValueRule::None},      {L"norun", ValueRule::None},
    {L"?", ValueRule::None},       {L"help", ValueRule::None},       {L"dir", ValueRule::Required},
    {L"exclude", ValueRule::Required}, {L"log", ValueRule::Required}, {L"sns", ValueRule::Optional},
};

const KnownSwitch* Find(const std::wstring& name) {
    for (const KnownSwitch& known : kSwitches)
        if (name == known.name) return &known;
    return nullptr;
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// "a, b,c" as names; false for an empty name.
bool SplitNames(const std::wstring& list, std::vector<std::wstring>& names) {
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(L',', start);
        const std::wstring name = Trimmed(list.substr(start, comma == std::wstring::npos ? std::wstring::npos
                                                                                          : comma - start));
        if (name.empty()) return false;
        names.push_back(name);
        if (comma == std::wstring::npos) return true;
        start = comma + 1;
    }
}

bool Refuse(std::wstring& reason, const std::wstring& text) {
    reason = text;
    return false;
}

} // namespace

namespace {

bool ReadArguments(const std::vector<std::wstring>& arguments, RunOptions& options, std::wstring& reason) {
    std::set<std::wstring> seen;
    for (const std::wstring& argument : arguments) {
        CommandSwitch given;
        if (!ReadSwitch(argument, given)) return Refuse(reason, L"无法识别的参数：" + argument);
        const KnownSwitch* known = Find(given.name);
        if (!known) return Refuse(reason, L"未知的开关：" + argument);
        // "/?" and "/help" are one switch.
        const std::wstring key = given.name == L"?" ? L"help" : given.name;
        if (!seen.insert(key).second) return Refuse(reason, L"开关重复：" + argument);
        if (known->value == ValueRule::None && given.hasValue) return Refuse(reason, L"该开关不带值：" + argument);
        if (known->value == ValueRule::Required && given.value.empty())
            return Refuse(reason, L"该开关缺少值：" + argument);

        if (key == L"passive") {
            options.mode = RunMode::Passive;
        } else if (key == L"quiet") {
            options.mode = RunMode::Quiet;
        } else if (key == L"norun") {
            options.noRun = true;
        } else if (key == L"help") {
            options.help = true;
        } else if (key == L"dir") {
            options.folder = given.value;
        } else if (key == L"log") {
            options.logFile = given.value;
        } else if (key == L"exclude" && !SplitNames(given.value, options.excluded)) {
            return Refuse(reason, L"组件名称为空：" + argument);
        }
    }
    if (seen.count(L"passive") && seen.count(L"quiet")) return Refuse(reason, L"/passive 与 /quiet 不能同时使用");
    return true;
}

} // namespace

bool ParseRunOptions(const std::vector<std::wstring>& arguments, RunOptions& options, std::wstring& reason) {
    options = RunOptions();
    if (ReadArguments(arguments, options, reason)) {
        // Nobody is there to see the client start.
        if (options.mode == RunMode::Quiet) options.noRun = true;
        return true;
    }
    // Invalid use: only /quiet and /log still count, so that it is neither
    // shown nor missing from the file the administrator looks at.
    options = RunOptions();
    for (const std::wstring& argument : arguments) {
        CommandSwitch given;
        if (!ReadSwitch(argument, given)) continue;
        if (given.name == L"quiet") options.mode = RunMode::Quiet;
        if (given.name == L"log" && options.logFile.empty()) options.logFile = given.value;
    }
    return false;
}

std::wstring UsageText() {
    return L"用法：KestraneSetup.exe [开关]\n"
           L"\n"
           L"/passive\t显示窗口，自动完成安装（代为接受使用协议）\n"
           L"/quiet\t不显示窗口和任何提示，自动完成安装\n"
           L"/dir=<目录>\t安装目录\n"
           L"/exclude=<名称>[,<名称>…]\t不安装这些可选组件（setup_name）\n"
           L"/log=<文件>\t同时将本次日志写入该文件（UTF-8）\n"
           L"/norun\t安装完成后不运行客户端（/quiet 时总是如此）\n"
           L"/sns=<地址>\t安装服务地址\n"
           L"/? 或 /help\t显示本说明\n"
           L"\n"
           L"退出码：\n" +
           ExitCodeTable();
}
