#include "tools/soundfiles/BFormatReader.h"

#include "dsp/AmbiXChannels.h"
#include "tools/HostError.h"
#include "tools/soundfiles/SoundFileReader.h"

namespace {

constexpr int kFuMaChannels = BFormatReader::kChannels; // W X Y U V P Q, nothing else
constexpr int kAmbiXChannels = AmbiXChannels::kFrameChannels;
static_assert(AmbiXChannels::kHorizontal == kFuMaChannels, "AmbiX carries the same seven components");

} // namespace

BFormatReader::Convention BFormatReader::conventionNamed(const std::string& name)
{
    if (name == "fuma")
        return Convention::FuMa;
    if (name == "ambix")
        return Convention::AmbiX;
    throw HostError("--format " + name + ": expected fuma or ambix");
}

const char* BFormatReader::nameOf(Convention convention)
{
    return convention == Convention::FuMa ? "FuMa" : "AmbiX";
}

BFormatReader::Source BFormatReader::sourceOf(Convention convention, int component)
{
    if (convention == Convention::FuMa)
        return {component, 1.0f};
    const AmbiXChannels::Placement& p = AmbiXChannels::kPlacement[component];
    return {p.acn, static_cast<float>(1.0 / p.fromFuMa)};
}

BFormatReader::BFormatReader(const std::string& filePath, std::optional<Convention> requested)
    : path(filePath)
{
    SoundFileReader::checkReadable(path);
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        throw HostError(path + ": not a sound file (" + sf_strerror(nullptr) + ")");
    try {
        if (info.samplerate <= 0)
            throw HostError(path + ": the file gives no usable sample rate");
        const bool marked = sf_command(file, SFC_WAVEX_GET_AMBISONIC, nullptr, 0) == SF_AMBISONIC_B_FORMAT;
        kind = decideConvention(requested, marked);
    } catch (...) {
        sf_close(file); // the destructor does not run for a constructor that throws
        throw;
    }
    for (int c = 0; c < kChannels; ++c) {
        const Source source = sourceOf(kind, c);
        fileChannel[c] = source.channel;
        toFuMa[c] = source.toFuMa;
    }
}

BFormatReader::~BFormatReader()
{
    sf_close(file);
}

// The FuMa mark says what seven channels are; sixteen unmarked channels are
// the AmbiX convention (which has no mark of its own). Anything else needs
// the user's word, or is no B-format this program reads.
BFormatReader::Convention BFormatReader::decideConvention(std::optional<Convention> requested,
                                                          bool markedBFormat) const
{
    const std::string count = std::to_string(info.channels);
    if (requested) {
        const int needed = *requested == Convention::FuMa ? kFuMaChannels : kAmbiXChannels;
        if (info.channels != needed)
            throw HostError(path + " has " + count + (info.channels == 1 ? " channel" : " channels") +
                            "; --format " + (*requested == Convention::FuMa ? "fuma" : "ambix") + " reads " +
                            std::to_string(needed));
        return *requested;
    }
    if (info.channels == kFuMaChannels && markedBFormat)
        return Convention::FuMa;
    if (info.channels == kAmbiXChannels && !markedBFormat)
        return Convention::AmbiX;
    if (info.channels == kFuMaChannels)
        throw HostError(path +
                        " has 7 channels but no Ambisonic B-format mark in its header; "
                        "if they are FuMa W X Y U V P Q, give --format fuma");
    if (info.channels == kAmbiXChannels)
        throw HostError(path +
                        " has 16 channels but a FuMa B-format mark; if they are AmbiX (ACN, SN3D), "
                        "give --format ambix");
    throw HostError(path + " has " + count + (info.channels == 1 ? " channel" : " channels") +
                    ", which is no B-format velmora reads (7-channel FuMa W X Y U V P Q or "
                    "16-channel AmbiX)");
}

int BFormatReader::read(float* const* channels, int count)
{
    interleaved.resize(static_cast<size_t>(count) * static_cast<size_t>(info.channels));
    const int got = static_cast<int>(sf_readf_float(file, interleaved.data(), count));
    for (int c = 0; c < kChannels; ++c) {
        const float* from = interleaved.data() + fileChannel[c];
        for (int i = 0; i < got; ++i)
            channels[c][i] = from[static_cast<size_t>(i) * info.channels] * toFuMa[c];
    }
    return got;
}
