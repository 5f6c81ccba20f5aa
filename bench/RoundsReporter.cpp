#include "bench/RoundsReporter.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kNanosecondsPerSecond = 1e9; // the counter is in seconds per frame
constexpr int kSceneWidth = 22;
constexpr int kColumnWidth = 14;

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

std::string cell(const char* format, double a, double b = 0.0, double c = 0.0)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

void printRow(std::ostream& out, const std::string& first, const std::vector<std::string>& cells, int width)
{
    char head[64];
    std::snprintf(head, sizeof head, "%-*s", kSceneWidth, first.c_str());
    out << head;
    for (const std::string& c : cells) {
        char text[96];
        std::snprintf(text, sizeof text, " %*s", width, c.c_str());
        out << text;
    }
    out << '\n';
}

} // namespace

RoundsReporter::RoundsReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

std::string RoundsReporter::runName(const std::string& scene, const std::string& label, int round)
{
    return scene + "/" + label + "/round:" + std::to_string(round);
}

void RoundsReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const auto counter = run.counters.find("ns_per_frame");
        if (!run.error_occurred && run.run_type == Run::RT_Iteration && counter != run.counters.end())
            nsPerFrame_[run.run_name.function_name] = counter->second.value * kNanosecondsPerSecond;
    }
}

std::vector<double> RoundsReporter::figures(const std::string& scene, const std::string& label, int rounds) const
{
    std::vector<double> values;
    for (int round = 1; round <= rounds; ++round) {
        const auto found = nsPerFrame_.find(runName(scene, label, round));
        if (found != nsPerFrame_.end())
            values.push_back(found->second);
    }
    return values;
}

std::vector<double> RoundsReporter::roundRatios(const std::string& scene, const Ratio& ratio, int rounds) const
{
    std::vector<double> values;
    for (int round = 1; round <= rounds; ++round) {
        const auto over = nsPerFrame_.find(runName(scene, ratio.over, round));
        const auto under = nsPerFrame_.find(runName(scene, ratio.under, round));
        if (over != nsPerFrame_.end() && under != nsPerFrame_.end() && under->second > 0.0)
            values.push_back(over->second / under->second);
    }
    return values;
}

void RoundsReporter::printSummary(std::ostream& out, const std::vector<std::string>& scenes,
                                  const std::vector<std::string>& labels, int rounds,
                                  const std::vector<Ratio>& ratios) const
{
    out << "\nns per frame, median of " << rounds << " interleaved rounds\n";
    printRow(out, "scene", labels, kColumnWidth);
    for (const std::string& scene : scenes) {
        std::vector<std::string> cells;
        for (const std::string& label : labels)
            cells.push_back(cell("%.3f", median(figures(scene, label, rounds))));
        printRow(out, scene, cells, kColumnWidth);
    }
    if (ratios.empty())
        return;

    out << "\nratio of the medians [lowest..highest ratio of one round], difference of the medians in ns\n";
    std::vector<std::string> heads;
    for (const Ratio& ratio : ratios)
        heads.push_back(ratio.over + "/" + ratio.under);
    constexpr int kRatioWidth = 30;
    printRow(out, "scene", heads, kRatioWidth);
    for (const std::string& scene : scenes) {
        std::vector<std::string> cells;
        for (const Ratio& ratio : ratios) {
            const std::vector<double> each = roundRatios(scene, ratio, rounds);
            if (each.empty()) {
                cells.push_back("-");
                continue;
            }
            const double over = median(figures(scene, ratio.over, rounds));
            const double under = median(figures(scene, ratio.under, rounds));
            const auto range = std::minmax_element(each.begin(), each.end());
            cells.push_back(cell("%.3f [%.2f..%.2f]", over / under, *range.first, *range.second) +
                            cell(" %+.3f", over - under));
        }
        printRow(out, scene, cells, kRatioWidth);
    }
}
