#include "tools/soundfiles/SoundFileReader.h"

#include "tools/HostError.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

void SoundFileReader::checkReadable(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        throw HostError(path + ": " + std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        throw HostError(path + ": is a folder, not a sound file");
    if (access(path.c_str(), R_OK) != 0)
        throw HostError(path + ": " + std::strerror(errno));
}

SoundFileReader::SoundFileReader(const std::string& filePath, const Options& options) : path(filePath)
{
    checkReadable(path);
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr && options.rawRate > 0) {
        // No header libsndfile knows: take the samples as they are.
        info = SF_INFO{};
        info.samplerate = options.rawRate;
        info.channels = 1;
        info.format = SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE;
        file = sf_open(path.c_str(), SFM_READ, &info);
    }
    if (file == nullptr)
        throw HostError(path + ": not a sound file (" + sf_strerror(nullptr) +
                        "); for headerless float samples give --rate HZ");
    // The destructor does not run for a constructor that throws.
    auto refuse = [this](const std::string& message) {
        sf_close(file);
        throw HostError(message);
    };
    const std::string count = std::to_string(info.channels);
    if (info.samplerate <= 0)
        refuse(path + ": the file gives no usable sample rate");
    if (options.channel == 0 && info.channels > 1)
        refuse(path + " has " + count + " channels; choose one with --channel N (1.." + count + ")");
    if (options.channel > info.channels)
        refuse("--channel " + std::to_string(options.channel) + ": " + path + " has only " + count +
               (info.channels == 1 ? " channel" : " channels"));
    channelIndex = options.channel > 0 ? options.channel - 1 : 0;
}

SoundFileReader::~SoundFileReader()
{
    if (file != nullptr)
        sf_close(file);
}

int SoundFileReader::read(float* samples, int count)
{
    if (info.channels == 1) {
        const sf_count_t got = sf_readf_float(file, samples, count);
        return static_cast<int>(got);
    }
    interleaved.resize(static_cast<size_t>(count) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, interleaved.data(), count);
    for (sf_count_t i = 0; i < got; ++i)
        samples[i] = interleaved[static_cast<size_t>(i) * info.channels + channelIndex];
    return static_cast<int>(got);
}
