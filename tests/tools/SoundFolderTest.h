#pragma once

// What the end-to-end tests of velmora share: a temporary folder of the
// test's own, the program run on it as a user runs it, and sound files
// written and read there.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

struct VelmoraResult {
    int status;
    std::string output; // standard output and error together
};

class SoundFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/velmora-test-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string path(const std::string& name) const { return folder + "/" + name; }

    VelmoraResult run(const std::string& arguments) const
    {
        FILE* pipe = popen(("'" VELMORA_PROGRAM "' " + arguments + " 2>&1").c_str(), "r");
        std::string output;
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            output += char(c);
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }

    // A 32-bit float WAV; `marked`: WAVE_FORMAT_EXTENSIBLE with the B-format
    // mark, as .amb files carry.
    void writeSoundFile(const std::string& name, const std::vector<float>& interleaved, int channels,
                        int rate, bool marked = false) const
    {
        SF_INFO info{0, rate, channels, (marked ? SF_FORMAT_WAVEX : SF_FORMAT_WAV) | SF_FORMAT_FLOAT, 0, 0};
        SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        if (marked)
            sf_command(file, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT);
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels));
        sf_close(file);
    }

    // The samples of a sound file; its header in `info`, its B-format mark
    // in `ambisonic` when asked.
    std::vector<float> readSoundFile(const std::string& name, SF_INFO& info, int* ambisonic = nullptr) const
    {
        info = SF_INFO{};
        SNDFILE* file = sf_open(path(name).c_str(), SFM_READ, &info);
        EXPECT_NE(file, nullptr) << name;
        if (file == nullptr)
            return {};
        std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
        sf_readf_float(file, samples.data(), info.frames);
        if (ambisonic)
            *ambisonic = sf_command(file, SFC_WAVEX_GET_AMBISONIC, nullptr, 0);
        sf_close(file);
        return samples;
    }

    // Files in the folder (a hidden partial output included), so that a
    // case can see that nothing was left behind.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder;
};
