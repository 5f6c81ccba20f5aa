#include "tools/pluginhost/PluginChoice.h"

#include "tools/soundfiles/BFormatReader.h"
#include "tools/HostError.h"
#include "tools/pluginhost/PluginHost.h"

PluginChoice::PluginChoice(const std::optional<std::string>& format, const std::optional<std::string>& plugin)
{
    if (format)
        requested = BFormatReader::conventionNamed(*format);
    file = plugin ? *plugin : PluginHost::defaultPluginPath(requested.value_or(BFormatConvention::FuMa));
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
