#include "tools/soundfiles/SoundFileWriter.h"

#include "tools/HostError.h"

namespace {
// What a RIFF file's 32-bit sizes allow, less room for the header chunks.
constexpr long long kLargestDataBytes = 0xFFFFFFFFLL - 0x10000;
} // namespace

SoundFileWriter::SoundFileWriter(const std::string& filePath, const std::string& shownAs, Kind kind,
                                 int channels, int sampleRate)
    : path(shownAs), channelCount(channels)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    // libsndfile gives a WAVE_FORMAT_EXTENSIBLE file of other than 1, 2, 4, 6
    // or 8 channels no speaker mask (0), which is what AmbiX asks for.
    info.format = (kind == Kind::PlainWav ? SF_FORMAT_WAV : SF_FORMAT_WAVEX) | SF_FORMAT_FLOAT;
    file = sf_open(filePath.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        throw HostError("cannot write " + path + ": " + sf_strerror(nullptr));
    if (kind == Kind::AmbisonicBFormat &&
        sf_command(file, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT) != SF_AMBISONIC_B_FORMAT) {
        sf_close(file);
        file = nullptr;
        throw HostError("cannot mark " + path + " as Ambisonic B-format");
    }
}

SoundFileWriter::~SoundFileWriter()
{
    if (file != nullptr)
        sf_close(file);
}

long long SoundFileWriter::largestFrames(int channels)
{
    return kLargestDataBytes / (static_cast<long long>(sizeof(float)) * channels);
}

void SoundFileWriter::write(const float* const* channels, int frames)
{
    if (framesWritten + frames > largestFrames(channelCount))
        throw HostError(path + " would outgrow the 4 GiB a WAV file can hold");
    framesWritten += frames;
    interleaved.resize(static_cast<size_t>(frames) * static_cast<size_t>(channelCount));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channelCount; ++c)
            interleaved[static_cast<size_t>(i) * channelCount + c] = channels[c][i];
    if (sf_writef_float(file, interleaved.data(), frames) != frames)
        throw HostError("cannot write " + path + ": " + sf_strerror(file));
}

void SoundFileWriter::close()
{
    if (file == nullptr)
        return;
    sf_write_sync(file);
    const int error = sf_error(file);
    const std::string message = sf_strerror(file);
    sf_close(file);
    file = nullptr;
    if (error != SF_ERR_NO_ERROR)
        throw HostError("cannot write " + path + ": " + message);
}
