#pragma once

// A one-line progress bar on standard error, shown only on a terminal and
// only for work long enough to be worth watching.
class ProgressBar {
public:
    ProgressBar(long long total, bool worthShowing);
    ~ProgressBar();

    void update(long long done);
    void finish();

private:
    long long total;
    bool shown;
    int lastPercent = -1;
};
