#include "host/BFormatReader.h"

#include "host/HostError.h"
#include "host/SoundFileReader.h"

namespace {

constexpr int kFuMaChannels = BFormatReader::kChannels; // W X Y U V P Q, nothing else
constexpr int kAmbiXChannels = 16;

// Where each of W X Y U V P Q lies in a file of either convention, and the
// factor that brings it to Furse-Malham weights: SN3D carries W at full
// level (FuMa: -3 dB), the second-order pair at sqrt(3)/2 and the third-order
// pair at sqrt(5/8) of FuMa's.
constexpr float kSqrtHalf = 0.70710678f; // 1/sqrt(2)
constexpr float kTwoOverSqrt3 = 1.15470054f; // 2/sqrt(3)
constexpr float kSqrtEightFifths = 1.26491106f; // sqrt(8/5)
struct ChannelSource {
    int fileChannel;
    float toFuMa;
};
constexpr ChannelSource kFromFuMa[kFuMaChannels] = {{0, 1.0f}, {1, 1.0f}, {2, 1.0f}, {3, 1.0f},
                                                    {4, 1.0f}, {5, 1.0f}, {6, 1.0f}};
// ACN: W 0, Y 1, X 3, V 4, U 8, Q 9, P 15.
constexpr ChannelSource kFromAmbiX[kFuMaChannels] = {
    {0, kSqrtHalf},       {3, 1.0f},          {1, 1.0f},
    {8, kTwoOverSqrt3},   {4, kTwoOverSqrt3}, {15, kSqrtEightFifths},
    {9, kSqrtEightFifths}};

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
    const ChannelSource* table = kind == Convention::FuMa ? kFromFuMa : kFromAmbiX;
    for (int c = 0; c < kChannels; ++c) {
        fileChannel[c] = table[c].fileChannel;
        toFuMa[c] = table[c].toFuMa;
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
