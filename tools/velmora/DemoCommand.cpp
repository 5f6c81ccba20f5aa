// velmora demo [DIR]: the built-in demonstration, run by `make run`.

#include "tools/soundfiles/BFormatReader.h"
#include "tools/binaural/BinauralDecoder.h"
#include "tools/velmora/CommandLine.h"
#include "tools/velmora/CommandRegistry.h"
#include "tools/demo/DemoPicture.h"
#include "tools/demo/DemoScene.h"
#include "tools/HostError.h"
#include "tools/soundfiles/PendingOutput.h"
#include "tools/velmora/PluginOptions.h"
#include "tools/pluginhost/PluginHost.h"
#include "tools/pluginhost/Renderer.h"
#include "tools/binaural/SofaSet.h"
#include "tools/soundfiles/SoundFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

const char kUsage[] = "[DIR] [--format fuma|ambix] [--plugin PATH]";
const char kDefaultFolder[] = "velmora-demo";
constexpr int kBlock = 64;

// Writes whole channels to `path`, aside first so that nothing half-written
// is ever left under that name.
void writeSound(const std::string& path, SoundFileWriter::Kind kind,
                const std::vector<const std::vector<float>*>& channels)
{
    PendingOutput pending(path);
    SoundFileWriter writer(pending.temporaryPath(), path, kind, static_cast<int>(channels.size()),
                           DemoScene::kSampleRate);
    std::vector<const float*> pointers;
    for (const auto* channel : channels)
        pointers.push_back(channel->data());
    writer.write(pointers.data(), static_cast<int>(channels[0]->size()));
    writer.close();
    pending.commit();
}

std::vector<std::vector<float>> encode(PluginHost& host, const std::vector<float>& source)
{
    const Automation path = DemoScene::pathAutomation();
    std::vector<std::vector<float>> channels(static_cast<size_t>(host.record().numOutputs));
    size_t position = 0;
    Renderer renderer(host, static_cast<float>(DemoScene::kSampleRate), kBlock);
    renderer.render(
        [&](float* samples, int count) {
            const size_t n = std::min(static_cast<size_t>(count), source.size() - position);
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(position), n, samples);
            position += n;
            return static_cast<int>(n);
        },
        path,
        [&](const float* const* outputs, int frames) {
            for (size_t c = 0; c < channels.size(); ++c)
                channels[c].insert(channels[c].end(), outputs[c], outputs[c] + frames);
        });
    return channels;
}

// The seven components W X Y U V P Q with Furse-Malham weights, which the
// picture and the binaural decoder take, from the plug-in's outputs.
std::vector<std::vector<float>> inFuMa(const std::vector<std::vector<float>>& outputs,
                                       BFormatConvention convention)
{
    std::vector<std::vector<float>> fuma(BFormatReader::kChannels);
    for (int c = 0; c < BFormatReader::kChannels; ++c) {
        const BFormatReader::Source source = BFormatReader::sourceOf(convention, c);
        for (float sample : outputs[static_cast<size_t>(source.channel)])
            fuma[static_cast<size_t>(c)].push_back(sample * source.toFuMa);
    }
    return fuma;
}

// The encoded scene for two ears, through the default head-related responses.
std::vector<std::vector<float>> renderForHeadphones(const std::vector<std::vector<float>>& channels)
{
    const SofaSet set(SofaSet::defaultPath(), DemoScene::kSampleRate);
    BinauralDecoder decoder(set);
    std::vector<std::vector<float>> ears(BinauralDecoder::kEars);
    size_t position = 0;
    decoder.render(
        [&](float* const* outputs, int count) {
            const size_t n = std::min(static_cast<size_t>(count), channels[0].size() - position);
            for (size_t c = 0; c < channels.size(); ++c)
                std::copy_n(channels[c].begin() + static_cast<std::ptrdiff_t>(position), n, outputs[c]);
            position += n;
            return static_cast<int>(n);
        },
        [&](const float* const* outputs, int frames) {
            for (size_t e = 0; e < ears.size(); ++e)
                ears[e].insert(ears[e].end(), outputs[e], outputs[e] + frames);
        });
    return ears;
}

void writePicture(const std::string& path, const std::vector<std::vector<float>>& channels)
{
    PendingOutput pending(path);
    DemoPicture::write(pending.temporaryPath(), channels);
    pending.commit();
}

int demo(const std::vector<std::string>& arguments)
{
    const CommandLine line(arguments, {"plugin", "format"}, {});
    line.expectPositional(0, 1, std::string("demo ") + kUsage);
    const std::string folder = line.positional().empty() ? kDefaultFolder : line.positional()[0];
    const PluginChoice choice = pluginChoiceOf(line);
    PluginHost host(choice.path());
    if (!host.isOwnEncoder())
        throw HostError(host.path() + ": the demonstration needs the Velmora encoder plug-in");
    const BFormatConvention convention = choice.outputsOf(host);
    const bool ambix = convention == BFormatConvention::AmbiX;

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw HostError("cannot create " + folder + ": " + error.message());
    const std::string sourcePath = folder + "/source.wav";
    const std::string encodedPath = folder + (ambix ? "/encoded.wav" : "/encoded.amb");
    const std::string picturePath = folder + "/picture.png";
    const std::string binauralPath = folder + "/binaural.wav";

    const std::vector<float> source = DemoScene::sourceSignal();
    const auto channels = encode(host, source);
    writeSound(sourcePath, SoundFileWriter::Kind::PlainWav, {&source});
    std::vector<const std::vector<float>*> encoded;
    for (const auto& channel : channels)
        encoded.push_back(&channel);
    writeSound(encodedPath, ambix ? SoundFileWriter::Kind::AmbiX : SoundFileWriter::Kind::AmbisonicBFormat,
               encoded);
    const auto fuma = inFuMa(channels, convention);
    writePicture(picturePath, fuma);
    const auto ears = renderForHeadphones(fuma);
    writeSound(binauralPath, SoundFileWriter::Kind::PlainWav, {&ears[0], &ears[1]});

    std::printf("Demonstration: a source circles the listener once at 3 m, then passes 0.55 m to the left,\n"
                "encoded with near-field compensation for a 2 m loudspeaker ring (%.0f s at %d Hz).\n\n",
                DemoScene::durationSeconds(), DemoScene::kSampleRate);
    std::printf("  binaural %s   listen on headphones: the scene for two ears\n", binauralPath.c_str());
    std::printf("  source   %s   the synthesised mono source\n", sourcePath.c_str());
    std::printf("  encoded  %s   %s\n", encodedPath.c_str(),
                ambix ? "B-format ACN 0..15 (AmbiX: SN3D, 32-bit float WAVE-EX)"
                      : "B-format W X Y U V P Q (FuMa, 32-bit float WAVE-EX)");
    std::printf("  picture  %s   the path from above and the level of eight loudspeakers\n\n",
                picturePath.c_str());
    std::printf(
        "To use the plug-in in a DAW: `make install` copies both VST 2.x plug-ins into ~/.vst (or the\n"
        "first folder of $VST_PATH) and the LV2 bundle into ~/.lv2 (or the first folder of $LV2_PATH).\n"
        "Rescan plug-ins, insert \"%s\" on a mono track and\n"
        "send all its %d outputs to a bus or decoder with as many inputs (in Ardour: strict I/O off,\n"
        "panner bypassed; see the README's \"In your DAW\").\n",
        host.text(effGetEffectName).c_str(), host.record().numOutputs);
    return 0;
}

const CommandRegistration registration({"demo", kUsage, "render the built-in demonstration into DIR", demo});

} // namespace
