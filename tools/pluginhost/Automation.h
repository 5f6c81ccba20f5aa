#pragma once

#include "tools/pluginhost/ParameterResolver.h"

#include <istream>
#include <string>
#include <vector>

// Parameter changes over time, applied at block boundaries. Text form, one
// change a line: "TIME PARAMETER VALUE", time in seconds, parameter and value
// as for --set; blank lines and text after '#' are skipped.
class Automation {
public:
    struct Event {
        double seconds;
        int index;
        float normalised;
    };

    Automation() = default;
    explicit Automation(std::vector<Event> events);

    // Throws HostError naming the file and line of the first bad line.
    static Automation parse(std::istream& in, const std::string& fileName, const ParameterResolver& resolver);
    static Automation load(const std::string& path, const ParameterResolver& resolver);

    // Events in time order (equal times keep their order in the file).
    const std::vector<Event>& events() const { return sorted; }

private:
    std::vector<Event> sorted;
};
