#pragma once

#include "host/BFormatConvention.h"

#include <optional>
#include <string>

class CommandLine;
class PluginHost;

// Which plug-in a command loads and which convention its outputs follow.
// `--format fuma|ambix` picks one of the two plug-ins this build made (fuma
// when not given); `--plugin PATH` loads any plug-in instead.
class PluginChoice {
public:
    // Reads --format and --plugin; throws HostError for a format that is
    // neither fuma nor ambix.
    explicit PluginChoice(const CommandLine& line);

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
