#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

// Reads one channel of a sound file in blocks, through libsndfile (any format
// it reads). A file without a header libsndfile knows is read as raw 32-bit
// float little-endian mono when the caller gives its sample rate.
class SoundFileReader {
public:
    struct Options {
        int channel = 0; // 1-based; 0: the file must be mono
        int rawRate = 0; // > 0: the rate of a headerless file of 32-bit floats
    };

    SoundFileReader(const std::string& path, const Options& options);
    // Throws HostError, naming `path`, unless it is a file this program may read.
    static void checkReadable(const std::string& path);
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    int sampleRate() const { return info.samplerate; }
    long long frames() const { return info.frames; }

    // Reads up to `count` samples of the chosen channel; returns how many
    // were read, 0 at the end.
    int read(float* samples, int count);

private:
    std::string path;
    SF_INFO info{};
    SNDFILE* file = nullptr;
    int channelIndex = 0;
    std::vector<float> interleaved;
};
