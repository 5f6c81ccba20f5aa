// velmora info: what a host learns about a plug-in.

#include "effect/ParameterTable.h"
#include "tools/velmora/CommandLine.h"
#include "tools/velmora/CommandRegistry.h"
#include "tools/pluginhost/ParameterResolver.h"
#include "tools/velmora/PluginOptions.h"
#include "tools/pluginhost/PluginHost.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] = "[--format fuma|ambix] [--plugin PATH]";

std::string fourCharacters(VstInt32 id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        text += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    return text;
}

// What a host makes of the category code, in the order of VstPlugCategory.
const char* categoryName(VstIntPtr category)
{
    static const char* const names[] = {"not given",   "effect",          "instrument",  "analysis",
                                        "mastering",   "spatialiser",     "room effect", "surround effect",
                                        "restoration", "offline process", "shell",       "generator"};
    const VstIntPtr count = sizeof names / sizeof names[0];
    return category >= 0 && category < count ? names[category] : "unknown";
}

std::string pinLabel(PluginHost& host, VstInt32 opcode, int index)
{
    VstPinProperties pin;
    std::memset(&pin, 0, sizeof pin);
    if (host.dispatch(opcode, index, 0, &pin) == 0)
        return "";
    pin.label[sizeof pin.label - 1] = '\0';
    return pin.label;
}

void printPins(PluginHost& host, const char* title, VstInt32 opcode, int count)
{
    std::printf("%-10s %d:", title, count);
    for (int i = 0; i < count; ++i) {
        const std::string label = pinLabel(host, opcode, i);
        std::printf(" %s", label.empty() ? "-" : label.c_str());
    }
    std::printf("\n");
}

// Hosts that give a mono track one output (Ardour's strict I/O) pass on W
// alone and nothing says so; the line after the pins says how to hear all.
void printDawHint(PluginHost& host)
{
    if (!host.isOwnEncoder())
        return;
    const int outputs = host.record().numOutputs;
    // REAPER's track channel counts are even.
    const int reaperChannels = outputs + outputs % 2;
    std::printf(
        "in a DAW   Ardour: strict I/O off, panner bypassed, all %d outputs to a %d-input bus or decoder; "
        "REAPER: a %d-channel track\n",
        outputs, outputs, reaperChannels);
}

// How to set one of the project's own encoder's parameters on the command
// line: "--set distance=0..4|off".
std::string setHint(int index)
{
    const ParameterInfo& info = ParameterTable::info(index);
    return std::string("  --set ") + info.key + "=" + ParameterResolver::rangeText(index) +
        (info.text == ValueText::MetresOrOff ? "|off" : "");
}

// For the project's own encoder each line also says how to set the
// parameter on the command line.
void printParameters(PluginHost& host)
{
    const AEffect& effect = host.record();
    const bool own = host.isOwnEncoder();
    std::printf("parameters %d:\n", effect.numParams);
    for (int i = 0; i < effect.numParams; ++i) {
        const std::string name = host.text(effGetParamName, i);
        const std::string display = host.text(effGetParamDisplay, i);
        const std::string label = host.text(effGetParamLabel, i);
        const std::string setAs = own ? setHint(i) : "";
        std::printf("  %2d  %-22s %8s %-8s (%.6f)%s\n", i, ("\"" + name + "\"").c_str(), display.c_str(),
                    label.c_str(), static_cast<double>(host.getParameter(i)) + 0.0, setAs.c_str());
    }
}

void printPrograms(PluginHost& host)
{
    const AEffect& effect = host.record();
    std::printf("programs   %d:", effect.numPrograms);
    for (int i = 0; i < effect.numPrograms; ++i) {
        const std::string name = host.text(effGetProgramNameIndexed, i);
        std::printf("%s\"%s\"", i == 0 ? " " : ", ", name.c_str());
    }
    std::printf("\n");
}

int info(const std::vector<std::string>& arguments)
{
    const CommandLine line(arguments, {"plugin", "format"}, {});
    line.expectPositional(0, 0, std::string("info ") + kUsage);
    const PluginChoice choice = pluginChoiceOf(line);
    PluginHost host(choice.path());
    choice.outputsOf(host); // refuses a --format the loaded plug-in contradicts
    const AEffect& effect = host.record();
    std::printf("plug-in    %s\n", host.path().c_str());
    std::printf("name       %s\n", host.text(effGetEffectName).c_str());
    std::printf("vendor     %s\n", host.text(effGetVendorString).c_str());
    std::printf("product    %s\n", host.text(effGetProductString).c_str());
    std::printf("version    %ld (vendor), %d (effect), VST %ld\n",
                static_cast<long>(host.dispatch(effGetVendorVersion)), effect.version,
                static_cast<long>(host.dispatch(effGetVstVersion)));
    std::printf("unique id  %s (0x%08x)\n", fourCharacters(effect.uniqueID).c_str(),
                static_cast<unsigned>(effect.uniqueID));
    const VstIntPtr category = host.dispatch(effGetPlugCategory);
    std::printf("category   %ld (%s)\n", static_cast<long>(category), categoryName(category));
    std::printf("flags      0x%x%s%s\n", static_cast<unsigned>(effect.flags),
                (effect.flags & effFlagsHasEditor) ? " editor" : "",
                (effect.flags & effFlagsCanReplacing) ? " replacing" : "");
    printPins(host, "inputs", effGetInputProperties, effect.numInputs);
    printPins(host, "outputs", effGetOutputProperties, effect.numOutputs);
    printDawHint(host);
    printParameters(host);
    printPrograms(host);
    return 0;
}

const CommandRegistration registration({"info", kUsage,
                                        "identity, pins, parameters and programs of a plug-in", info});

} // namespace
