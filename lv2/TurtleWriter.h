#pragma once

#include "lv2/Lv2PluginInfo.h"

#include <string>

// Writes the bundle's Turtle from the one parameter table and the port
// lists, so that names, units, ranges and defaults are never written twice
// by hand: the manifest a host reads at discovery, each plug-in's own
// description (ports, the output group, each output's ACN designation) and
// the editor's. `withUi` says whether the bundle holds the editor.
class TurtleWriter {
public:
    static std::string manifest(bool withUi);
    static std::string plugin(const Lv2PluginInfo& info, bool withUi);
    static std::string ui();

    // A number as a Turtle literal: always a decimal or a double, never an
    // integer, so that every host reads a float.
    static std::string number(double value);
};
