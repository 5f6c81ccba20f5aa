// velmora binaural IN OUT.wav: a B-format file rendered for headphones.

#include "tools/soundfiles/BFormatReader.h"
#include "tools/binaural/BinauralDecoder.h"
#include "tools/velmora/CommandLine.h"
#include "tools/velmora/CommandRegistry.h"
#include "tools/HostError.h"
#include "tools/soundfiles/PendingOutput.h"
#include "tools/velmora/ProgressBar.h"
#include "tools/binaural/SofaSet.h"
#include "tools/soundfiles/SoundFileReader.h"
#include "tools/soundfiles/SoundFileWriter.h"

#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

static_assert(BFormatReader::kChannels == BinauralDecoder::kChannels,
              "the reader gives what the decoder takes");

// Files shorter than this finish before a progress bar would help.
constexpr double kProgressWorthSeconds = 5.0;

const char kUsage[] = "IN OUT.wav [--sofa FILE] [--format fuma|ambix]";

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
        first.st_ino == second.st_ino;
}

int binaural(const std::vector<std::string>& arguments)
{
    const CommandLine line(arguments, {"sofa", "format"}, {});
    line.expectPositional(2, 2, std::string("binaural ") + kUsage);
    const std::string in = line.positional()[0];
    const std::string out = line.positional()[1];
    std::optional<BFormatReader::Convention> convention;
    if (line.has("format"))
        convention = BFormatReader::conventionNamed(line.value("format"));
    const std::string sofaPath = line.value("sofa", SofaSet::defaultPath());

    BFormatReader reader(in, convention);
    if (sameFile(in, out))
        throw HostError(out + " is the input file; choose another output");
    if (reader.frames() > SoundFileWriter::largestFrames(BinauralDecoder::kEars))
        throw HostError(in + " is too long for one WAV file of two channels; split it");
    SoundFileReader::checkReadable(sofaPath);
    const SofaSet set(sofaPath, reader.sampleRate());
    BinauralDecoder decoder(set);

    PendingOutput pending(out);
    SoundFileWriter writer(pending.temporaryPath(), out, SoundFileWriter::Kind::PlainWav,
                           BinauralDecoder::kEars, reader.sampleRate());
    ProgressBar progress(reader.frames(), reader.frames() > kProgressWorthSeconds * reader.sampleRate());
    const long long frames = decoder.render(
        [&reader](float* const* channels, int count) { return reader.read(channels, count); },
        [&writer](const float* const* ears, int count) { writer.write(ears, count); },
        [&progress](long long done) { progress.update(done); });
    progress.finish();
    writer.close();
    pending.commit();
    std::printf("wrote %s: binaural from %s B-format, %d Hz, %.2f s\n", out.c_str(),
                BFormatReader::nameOf(reader.convention()), reader.sampleRate(),
                static_cast<double>(frames) / reader.sampleRate());
    return 0;
}

const CommandRegistration registration({"binaural", kUsage,
                                        "render a B-format file for headphones (two-channel WAV)", binaural});

} // namespace
