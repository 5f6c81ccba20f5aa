#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

// Writes a multichannel 32-bit float sound file: a FuMa B-format file as
// Ambisonic tools expect it (WAVE_FORMAT_EXTENSIBLE with the Ambisonic
// B-format subtype, the ".amb" convention), an AmbiX file (the plain float
// subtype of WAVE_FORMAT_EXTENSIBLE without a speaker mask, as AmbiX tools
// read sixteen channels) or a plain WAV.
class SoundFileWriter {
public:
    enum class Kind { AmbisonicBFormat, AmbiX, PlainWav };

    // Writes to `path`; messages name the file `shownAs` (the final name of a
    // file written aside).
    SoundFileWriter(const std::string& path, const std::string& shownAs, Kind kind, int channels,
                    int sampleRate);
    ~SoundFileWriter();
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    // The most frames a file of `channels` channels can hold: a WAV file's
    // sizes are 32-bit, and libsndfile would go on writing past them into a
    // file whose header no longer describes it.
    static long long largestFrames(int channels);

    // Writes `frames` samples of each channel, taken from separate buffers.
    // Throws HostError rather than grow the file past largestFrames.
    void write(const float* const* channels, int frames);
    // Flushes and closes; throws HostError when the data did not all arrive.
    void close();

private:
    std::string path;
    SNDFILE* file = nullptr;
    int channelCount;
    long long framesWritten = 0;
    std::vector<float> interleaved;
};
