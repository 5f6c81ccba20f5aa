#pragma once

#include "lv2/Lv2PluginInfo.h"

#include <string>

// Writes the bundle's Turtle from the one parameter table and the port
// lists, so that names, units, ranges and defaults are never written twice
// by hand: the manifest a host reads at discovery, and each plug-in's own
// description (ports, the output group, each output's ACN designation).
class TurtleWriter {
public:
    static std::string manifest();
    static std::string plugin(const Lv2PluginInfo& info);

    // A number as a Turtle literal: always a decimal or a double, never an
    // integer, so that every host reads a float.
    static std::string number(double value);
};
