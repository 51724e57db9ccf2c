#include "tool_Progress.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

tool_Progress::tool_Progress(std::string task)
    : task_(std::move(task)), enabled_(::isatty(STDERR_FILENO) == 1) {}

tool_Progress::~tool_Progress() {
    Done();
}

void tool_Progress::Start(const std::string& stage, long total) {
    stage_ = stage;
    total_ = total;
    done_ = 0;
    shownPercent_ = -1;
    draw();
}

void tool_Progress::Advance(long steps) {
    done_ += steps;
    draw();
}

void tool_Progress::Done() {
    if (drawn_)
        std::fputs("\r\033[K", stderr);
    drawn_ = false;
}

void tool_Progress::draw() {
    if (!enabled_)
        return;
    const int percent = total_ > 0 ? static_cast<int>(100 * std::min(done_, total_) / total_) : 0;
    // Redrawing on every step would cost more than the work for small steps.
    if (percent == shownPercent_ && drawn_)
        return;
    shownPercent_ = percent;
    constexpr int width = 30;
    std::string bar(width, ' ');
    for (int i = 0; i < width * percent / 100; ++i)
        bar[i] = '#';
    std::fprintf(stderr, "\r\033[K%s: %-12s [%s] %3d%%", task_.c_str(), stage_.c_str(), bar.c_str(),
                 percent);
    std::fflush(stderr);
    drawn_ = true;
}
