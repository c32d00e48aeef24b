#pragma once
// The installer's switches: how it runs (with a person, /passive or /quiet)
// and what an administrator decides in advance. Parsing only; RunSwitches.h
// acts on them at start.
#include <string>
#include <vector>

enum class RunMode {
    Interactive,  // no switch: a person answers
    Passive,      // the window shows and the run goes on by itself
    Quiet,        // nothing is shown at all
};

struct RunOptions {
    RunMode mode = RunMode::Interactive;
    std::wstring folder;                 // /dir; empty: the folder proposed as usual
    std::vector<std::wstring> excluded;  // /exclude: setup names to untick
    std::wstring logFile;                // /log; empty: the daily log only
    bool noRun = false;                  // /norun, and always with /quiet
    bool help = false;                   // /? or /help
};

// Reads the arguments after the program name. False, with the reason for the
// log and the box, for anything that is not valid use: an argument that is
// no switch, an unknown or repeated switch, a value missing or where none
// belongs, /passive together with /quiet.
bool ParseRunOptions(const std::vector<std::wstring>& arguments, RunOptions& options, std::wstring& reason);

// The switches and exit codes, as the help box lists them.
std::wstring UsageText();
