#include "tools/pluginhost/Automation.h"

#include "tools/HostError.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

double parseSeconds(const std::string& text)
{
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seconds))
        throw HostError("time '" + text + "' is not a number of seconds");
    if (seconds < 0.0)
        throw HostError("time " + text + " is negative");
    return seconds;
}

} // namespace

Automation::Automation(std::vector<Event> events) : sorted(std::move(events))
{
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Event& a, const Event& b) { return a.seconds < b.seconds; });
}

Automation Automation::parse(std::istream& in, const std::string& fileName, const ParameterResolver& resolver)
{
    std::vector<Event> events;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string time, name, value, extra;
        if (!(words >> time))
            continue;
        try {
            if (!(words >> name >> value))
                throw HostError("expected TIME PARAMETER VALUE");
            if (words >> extra)
                throw HostError("unexpected '" + extra + "' after the value");
            const double seconds = parseSeconds(time);
            const int index = resolver.index(name);
            events.push_back({seconds, index, resolver.value(index, value)});
        } catch (const HostError& error) {
            throw HostError(fileName + ":" + std::to_string(number) + ": " + error.what());
        }
    }
    return Automation(std::move(events));
}

Automation Automation::load(const std::string& path, const ParameterResolver& resolver)
{
    std::ifstream in(path);
    if (!in)
        throw HostError(path + ": " + std::strerror(errno));
    Automation automation = parse(in, path, resolver);
    // A folder opens like a file and then fails on the first read: without
    // this check it would pass for an empty automation.
    if (in.bad())
        throw HostError(path + ": cannot be read as a text file");
    return automation;
}
