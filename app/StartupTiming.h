#pragma once
// The start up to the first frame on screen, stage by stage, for one line of
// the log: the window must not wait for anything slow.
#include <string>
#include <vector>

class StartupTiming {
public:
    // Closes the stage that ends now (the first one began at the process's creation).
    void Stage(const char* name);
    // "启动计时（毫秒）: first_frame=T name=ms ...", T being the last stage's end.
    std::wstring LogLine() const;

private:
    struct Mark {
        const char* name;
        double at;
    };
    std::vector<Mark> marks_;
};
