#pragma once

#include "tools/soundfiles/BFormatConvention.h"

#include <optional>
#include <string>

class PluginHost;

// Which plug-in a command loads and which convention its outputs follow. A
// format ("fuma" or "ambix") picks one of the two plug-ins this build made
// (fuma when none is given); a path loads any plug-in instead.
class PluginChoice {
public:
    // Throws HostError for a format that is neither fuma nor ambix.
    PluginChoice(const std::optional<std::string>& format, const std::optional<std::string>& plugin);

    const std::string& path() const { return file; }

    // The convention of `host`'s outputs (the plug-in loaded from path()):
    // this project's encoder says which it is, any other plug-in is taken
    // as --format says. Throws HostError when --format names the other
    // convention than the project's plug-in loaded through --plugin.
    BFormatConvention outputsOf(const PluginHost& host) const;

private:
    std::optional<BFormatConvention> requested;
    std::string file;
};
