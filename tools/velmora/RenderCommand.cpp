// velmora render IN OUT: encodes a mono sound file with the plug-in.

#include "tools/pluginhost/Automation.h"
#include "tools/velmora/CommandLine.h"
#include "tools/velmora/CommandRegistry.h"
#include "tools/HostError.h"
#include "tools/pluginhost/ParameterResolver.h"
#include "tools/soundfiles/PendingOutput.h"
#include "tools/velmora/PluginOptions.h"
#include "tools/pluginhost/PluginHost.h"
#include "tools/velmora/ProgressBar.h"
#include "tools/pluginhost/Renderer.h"
#include "tools/soundfiles/SoundFileReader.h"
#include "tools/soundfiles/SoundFileWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kDefaultBlock = 64;
constexpr int kLargestBlock = 65536;
constexpr int kLargestRate = 1536000;
// Files shorter than this finish before a progress bar would help.
constexpr double kProgressWorthSeconds = 5.0;

const char kUsage[] = "IN OUT [--set NAME=VALUE]... [--program N] [--automation FILE] [--block N] "
                      "[--channel N] [--rate HZ] [--wav] [--format fuma|ambix] [--plugin PATH]";

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
        first.st_ino == second.st_ino;
}

bool hasAmbExtension(const std::string& path)
{
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.size() < 4)
        return false;
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".amb";
}

// The file a render writes: what the plug-in's outputs are, unless --wav asks
// for a plain WAV. An ".amb" name promises FuMa to every tool that reads it,
// so an AmbiX render under that name is refused before anything is written.
SoundFileWriter::Kind outputKind(BFormatConvention convention, const CommandLine& line,
                                 const std::string& out)
{
    if (convention == BFormatConvention::AmbiX && hasAmbExtension(out))
        throw HostError(out +
                        ": .amb files hold FuMa B-format; give the AmbiX render a .wav name "
                        "(or use --format fuma)");
    if (line.has("wav"))
        return SoundFileWriter::Kind::PlainWav;
    return convention == BFormatConvention::AmbiX ? SoundFileWriter::Kind::AmbiX
                                                  : SoundFileWriter::Kind::AmbisonicBFormat;
}

void selectProgram(PluginHost& host, const CommandLine& line)
{
    if (!line.has("program"))
        return;
    const int count = host.record().numPrograms;
    if (count < 1)
        throw HostError("--program: the plug-in has no programs");
    const int program = line.integer("program", 1, 1, count);
    host.dispatch(effSetProgram, 0, program - 1);
}

int render(const std::vector<std::string>& arguments)
{
    const CommandLine line(
        arguments, {"set", "program", "automation", "block", "channel", "rate", "plugin", "format"}, {"wav"});
    line.expectPositional(2, 2, std::string("render ") + kUsage);
    const std::string in = line.positional()[0];
    const std::string out = line.positional()[1];
    const int block = line.integer("block", kDefaultBlock, 1, kLargestBlock);
    SoundFileReader::Options readOptions;
    readOptions.channel = line.integer("channel", 0, 1, 1 << 16);
    readOptions.rawRate = line.integer("rate", 0, 1, kLargestRate);

    const PluginChoice choice = pluginChoiceOf(line);
    PluginHost host(choice.path());
    const SoundFileWriter::Kind kind = outputKind(choice.outputsOf(host), line, out);
    const int outputs = host.record().numOutputs;
    if (outputs < 1)
        throw HostError(host.path() + ": the plug-in has no audio outputs");
    const ParameterResolver resolver(host.isOwnEncoder(), host.parameterNames());
    std::vector<ParameterResolver::Assignment> settings;
    for (const std::string& text : line.values("set"))
        settings.push_back(resolver.assignment(text));
    const Automation automation =
        line.has("automation") ? Automation::load(line.value("automation"), resolver) : Automation();

    SoundFileReader reader(in, readOptions);
    if (sameFile(in, out))
        throw HostError(out + " is the input file; choose another output");
    // (A stream of unknown length is checked by the writer as it grows.)
    if (reader.frames() != SF_COUNT_MAX && reader.frames() > SoundFileWriter::largestFrames(outputs))
        throw HostError(in + " is too long: " + std::to_string(outputs) +
                        " channels of it would outgrow the 4 GiB " + "a WAV file can hold (at most " +
                        std::to_string(SoundFileWriter::largestFrames(outputs) / reader.sampleRate() / 60) +
                        " minutes at this rate); split it");

    // The starting position is set before playback starts, so that the
    // first block begins there instead of gliding from the default.
    selectProgram(host, line);
    for (const auto& setting : settings)
        host.setParameter(setting.index, setting.normalised);

    PendingOutput pending(out);
    SoundFileWriter writer(pending.temporaryPath(), out, kind, outputs, reader.sampleRate());
    ProgressBar progress(reader.frames(), reader.frames() > kProgressWorthSeconds * reader.sampleRate());
    Renderer renderer(host, static_cast<float>(reader.sampleRate()), block);
    const long long frames = renderer.render(
        [&reader](float* samples, int count) { return reader.read(samples, count); }, automation,
        [&writer](const float* const* channels, int count) { writer.write(channels, count); },
        [&progress](long long done) { progress.update(done); });
    progress.finish();
    writer.close();
    pending.commit();
    std::printf("wrote %s: %d channels, %d Hz, %.2f s\n", out.c_str(), outputs, reader.sampleRate(),
                static_cast<double>(frames) / reader.sampleRate());
    return 0;
}

const CommandRegistration registration({"render", kUsage, "encode a mono sound file into B-format", render});

} // namespace
