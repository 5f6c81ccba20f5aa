#pragma once

#include <string>
#include <vector>

// Turns what a person types ("azimuth=90", "distance=off", "x=norm:0.75")
// into a parameter index and a normalised value. For this project's own
// plug-in the names and units come from the effect's parameter table; for any
// other plug-in the names are the plug-in's own and values are normalised.
class ParameterResolver {
public:
    struct Assignment {
        int index;
        float normalised;
    };

    // `ownTable`: the loaded plug-in is this project's encoder.
    ParameterResolver(bool ownTable, std::vector<std::string> pluginNames);

    int index(const std::string& name) const;
    float value(int index, const std::string& text) const;
    // "NAME=VALUE"
    Assignment assignment(const std::string& text) const;

    // The name to show for a parameter in messages.
    std::string displayName(int index) const;

    // "MIN..MAX" of one of the own encoder's parameters, in its units.
    static std::string rangeText(int index);

private:
    std::string knownNames() const;

    bool ownTable;
    std::vector<std::string> names;
};
