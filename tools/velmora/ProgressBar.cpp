#include "tools/velmora/ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(long long totalWork, bool worthShowing)
    : total(totalWork), shown(worthShowing && totalWork > 0 && isatty(STDERR_FILENO))
{
}

// Reached without finish() only when the work failed: the bar stays where it
// stopped, so that it does not claim 100% above the error message.
ProgressBar::~ProgressBar()
{
    if (shown)
        std::fputc('\n', stderr);
}

void ProgressBar::update(long long done)
{
    if (!shown)
        return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == lastPercent)
        return;
    lastPercent = percent;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                 kWidth - filled, "", percent);
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (!shown)
        return;
    update(total);
    std::fputc('\n', stderr);
    shown = false;
}
