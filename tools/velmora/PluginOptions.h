#pragma once

#include "tools/pluginhost/PluginChoice.h"
#include "tools/velmora/CommandLine.h"

#include <optional>
#include <string>

// The plug-in a command's `--format fuma|ambix` and `--plugin PATH` choose.
inline PluginChoice pluginChoiceOf(const CommandLine& line)
{
    const auto option = [&line](const char* name) {
        return line.has(name) ? std::optional<std::string>(line.value(name)) : std::nullopt;
    };
    return PluginChoice(option("format"), option("plugin"));
}
