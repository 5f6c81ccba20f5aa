#include "host/PluginChoice.h"

#include "host/BFormatReader.h"
#include "host/CommandLine.h"
#include "host/HostError.h"
#include "host/PluginHost.h"

PluginChoice::PluginChoice(const CommandLine& line)
{
    if (line.has("format"))
        requested = BFormatReader::conventionNamed(line.value("format"));
    file = line.has("plugin") ? line.value("plugin")
                              : PluginHost::defaultPluginPath(requested.value_or(BFormatConvention::FuMa));
}

BFormatConvention PluginChoice::outputsOf(const PluginHost& host) const
{
    if (!host.isOwnEncoder())
        return requested.value_or(BFormatConvention::FuMa);
    const BFormatConvention own = host.ownConvention();
    if (requested && *requested != own)
        throw HostError(host.path() + " is the " + BFormatReader::nameOf(own) + " plug-in, not the " +
                        BFormatReader::nameOf(*requested) + " one; leave out --plugin or --format");
    return own;
}
