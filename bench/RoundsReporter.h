#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

// The console report, and at the end a summary of benchmarks that ran the
// same scenes on several plug-ins in interleaved rounds: each scene's median
// ns per frame for every plug-in, and the ratios asked for. On a shared
// machine only figures taken in one run compare, and a ratio of medians from
// interleaved rounds is the steadiest of them; the spread of the per-round
// ratios shows how far to trust it.
class RoundsReporter : public benchmark::ConsoleReporter {
public:
    // One pair of plug-in labels to compare: numerator / denominator.
    struct Ratio {
        std::string over, under;
    };

    // Colours only for a terminal: the report is often piped or kept in a file.
    explicit RoundsReporter(bool colour);

    // The name a run of `scene` on the plug-in `label` in `round` registers under.
    static std::string runName(const std::string& scene, const std::string& label, int round);

    void ReportRuns(const std::vector<Run>& runs) override;

    void printSummary(std::ostream& out, const std::vector<std::string>& scenes,
                      const std::vector<std::string>& labels, int rounds, const std::vector<Ratio>& ratios) const;

private:
    // ns per frame of one scene on one plug-in, round by round (a run that
    // failed or was filtered out is missing).
    std::vector<double> figures(const std::string& scene, const std::string& label, int rounds) const;
    std::vector<double> roundRatios(const std::string& scene, const Ratio& ratio, int rounds) const;

    std::map<std::string, double> nsPerFrame_;
};
