// A progress bar on standard error, drawn only when standard error is a terminal, so that
// scripts and tests that capture it see nothing.
//
//   tool_Progress progress("import");
//   progress.Start("reading", groups);  ... progress.Advance(); ...  progress.Done();
#pragma once

#include <string>

class tool_Progress {
public:
    explicit tool_Progress(std::string task);
    ~tool_Progress();
    tool_Progress(const tool_Progress&) = delete;
    tool_Progress& operator=(const tool_Progress&) = delete;

    // Begins a stage of `total` steps (0 when the stage cannot be counted).
    void Start(const std::string& stage, long total);
    void Advance(long steps = 1);
    // Clears the bar.
    void Done();

private:
    void draw();

    std::string task_;
    std::string stage_;
    long total_ = 0;
    long done_ = 0;
    int shownPercent_ = -1;
    bool enabled_;
    bool drawn_ = false;
};
