// The velmora program end to end: it loads the built plug-in the way a DAW
// does and writes real files.

#include "tests/tools/SoundFolderTest.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr float kW = 0.70710677f;

using Result = VelmoraResult;

class VelmoraTest : public SoundFolderTest {
protected:
    Result velmora(const std::string& arguments) const { return run(arguments); }

    void writeSound(const std::string& name, const std::vector<float>& interleaved, int channels) const
    {
        writeSoundFile(name, interleaved, channels, kRate);
    }

    // The samples of a sound file; its header in info and ambisonic.
    std::vector<float> readSound(const std::string& name) { return readSoundFile(name, info, &ambisonic); }

    void writeText(const std::string& name, const std::string& text) const
    {
        std::ofstream(path(name)) << text;
    }

    // Renders in to out with the options given; what was written (nothing
    // when it failed, so that reading a sample throws).
    std::vector<float> render(const std::string& in, const std::string& out, const std::string& options)
    {
        const Result result = velmora("render " + path(in) + " " + path(out) + " " + options);
        EXPECT_EQ(result.status, 0) << result.output;
        return readSound(out);
    }

    SF_INFO info{};
    int ambisonic = 0;
};

std::vector<float> tone(size_t frames)
{
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = 0.5f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    return samples;
}

void expectGains(const std::vector<float>& out, const std::vector<float>& in, const float (&gains)[7],
                 size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        for (int c = 0; c < 7; ++c)
            ASSERT_NEAR(out.at(i * 7 + c), in[i] * gains[c], 1e-5) << "sample " << i << " channel " << c;
}

TEST_F(VelmoraTest, RenderAppliesTheSettingsFromTheFirstSample)
{
    const auto in = tone(4800);
    writeSound("in.wav", in, 1);
    const auto out = render("in.wav", "out.amb", "--set x=2");
    EXPECT_EQ(info.channels, 7);
    EXPECT_EQ(info.samplerate, kRate);
    EXPECT_EQ(info.frames, 4800);
    EXPECT_EQ(info.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
    EXPECT_EQ(ambisonic, SF_AMBISONIC_B_FORMAT);
    // Compensation off, 2 m in front: each order scaled by (2/4)^m.
    const float gains[7] = {kW, 0.5f, 0.0f, 0.25f, 0.0f, 0.125f, 0.0f};
    expectGains(out, in, gains, 0, 4800);
}

TEST_F(VelmoraTest, PlainWavOnRequestWithPolarSettings)
{
    const auto in = tone(1000);
    writeSound("in.wav", in, 1);
    const auto out = render("in.wav", "out.wav", "--wav --set azimuth=90 --block 17");
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
    EXPECT_NE(ambisonic, SF_AMBISONIC_B_FORMAT);
    const float gains[7] = {kW, 0.0f, 1.0f, -1.0f, 0.0f, 0.0f, -1.0f};
    expectGains(out, in, gains, 0, 1000);
}

TEST_F(VelmoraTest, HeaderlessInputAtTheGivenRate)
{
    const auto in = tone(500);
    writeText("in.raw", std::string(reinterpret_cast<const char*>(in.data()), in.size() * sizeof(float)));
    const auto out = render("in.raw", "out.amb", "--rate 44100 --set distance=off --set y=-4 --program 2");
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.frames, 500);
    // x stays 4, y = -4 is pulled back onto the 4 m circle at -45 degrees.
    EXPECT_NEAR(out.at(100 * 7 + 2) / in[100], -0.70710677f, 1e-5);
}

TEST_F(VelmoraTest, AutomationTakesEffectAtItsBlockAndGlides)
{
    const std::vector<float> in(kRate, 1.0f);
    writeSound("in.wav", in, 1);
    writeText("moves.txt", "# move to 2 m at a quarter second\n0.25 x 2\n");
    const auto out = render("in.wav", "out.amb", "--automation " + path("moves.txt") + " --block 100");
    const size_t change = 12000; // 0.25 s, a multiple of the block
    EXPECT_FLOAT_EQ(out.at((change - 1) * 7 + 1), 1.0f);
    EXPECT_LT(out.at(change * 7 + 1), 1.0f);
    EXPECT_GT(out.at(change * 7 + 1), 0.99f) << "the gain glides rather than jumps";
    EXPECT_NEAR(out.at((kRate - 1) * 7 + 1), 0.5f, 1e-4);
}

// x then y, each pulled back onto the 4 m circle: made twice, the second
// pass would turn the source away from 45 degrees and glide there.
TEST_F(VelmoraTest, ChangesAtTimeZeroAreMadeOnceBeforeTheFirstBlock)
{
    const auto in = tone(2000);
    writeSound("in.wav", in, 1);
    writeText("moves.txt", "0 x 4\n0 y 4\n");
    const auto out = render("in.wav", "out.amb", "--automation " + path("moves.txt"));
    const float gains[7] = {kW, kW, kW, 0.0f, 1.0f, -kW, kW};
    expectGains(out, in, gains, 0, 2000);
}

TEST_F(VelmoraTest, ChannelPicksOneChannelOfAStereoFile)
{
    std::vector<float> stereo;
    for (int i = 0; i < 100; ++i)
        stereo.insert(stereo.end(), {0.1f, 0.2f});
    writeSound("stereo.wav", stereo, 2);
    const Result refused = velmora("render " + path("stereo.wav") + " " + path("out.amb"));
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("has 2 channels; choose one with --channel N"), std::string::npos)
        << refused.output;
    EXPECT_EQ(files(), (std::vector<std::string>{"stereo.wav"}));

    const auto out = render("stereo.wav", "out.amb", "--channel 2");
    EXPECT_FLOAT_EQ(out.at(0), 0.2f * kW);
}

TEST_F(VelmoraTest, BadInputGivesOneLineAndLeavesNoFile)
{
    writeSound("in.wav", tone(100), 1);
    writeText("notes.txt", "not a sound\n");
    writeText("bad-moves.txt", "0 azimuth 0\n\n1 azimuth\n");
    // Five gigabytes of headerless samples, sparse: seven channels of them
    // would outgrow a WAV file.
    writeText("long.raw", "");
    std::filesystem::resize_file(path("long.raw"), 5ull << 30);
    const std::string in = path("in.wav"), out = path("out.amb");
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"render " + path("missing.wav") + " " + out, "missing.wav: No such file or directory"},
        {"render " + path("notes.txt") + " " + out, "notes.txt: not a sound file"},
        {"render " + in + " " + out + " --set height=1", "unknown parameter 'height'"},
        {"render " + in + " " + out + " --set elevation=100", "out of range -90..90 degrees"},
        {"render " + in + " " + out + " --set distance=5", "out of range 0..4 m"},
        {"render " + in + " " + out + " --automation " + path("bad-moves.txt"), "bad-moves.txt:3: "},
        {"render " + in + " " + out + " --plugin " + path("notes.txt"), "not a loadable plug-in"},
        {"render " + in + " " + out + " --plugin " LIBC_PATH, "not a VST 2.x plug-in"},
        {"render " + in + " " + out + " --block 0", "--block 0"},
        {"render " + in + " " + out + " --program 17", "--program 17"},
        {"render " + in + " " + path("no-such-folder/out.amb"), "cannot write"},
        {"render " + in + " " + in, "is the input file"},
        {"render " + path("long.raw") + " " + out + " --rate 48000", "outgrow the 4 GiB a WAV file can hold"},
        {"render " + in, "usage: velmora render"},
    };
    for (const Case& c : cases) {
        const Result result = velmora(c.arguments);
        EXPECT_NE(result.status, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n" << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
        EXPECT_EQ(files(), (std::vector<std::string>{"bad-moves.txt", "in.wav", "long.raw", "notes.txt"}))
            << c.arguments;
    }
}

TEST_F(VelmoraTest, AFailedRenderKeepsAnEarlierOutput)
{
    writeSound("in.wav", tone(100), 1);
    writeText("out.amb", "precious");
    EXPECT_NE(velmora("render " + path("in.wav") + " " + path("out.amb") + " --set x=9").status, 0);
    std::ifstream kept(path("out.amb"));
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "precious");
}

TEST_F(VelmoraTest, InfoShowsWhatAHostSees)
{
    const Result result = velmora("info");
    ASSERT_EQ(result.status, 0) << result.output;
    for (const char* expected : {"Corvane Velmora XY 3 - 2d", "CorVane", "Nb2q", "Mono Input",
                                 "W X Y U V P Q", "\"Compensation Distance\"", "off", "\"Prog 16\"",
                                 "category   0 (not given)", "--set distance=0..4|off"})
        EXPECT_NE(result.output.find(expected), std::string::npos) << expected << "\n" << result.output;
}

TEST_F(VelmoraTest, DemoWritesItsThreeFiles)
{
    const Result result = velmora("demo " + path("demo"));
    ASSERT_EQ(result.status, 0) << result.output;
    readSound("demo/encoded.amb");
    EXPECT_EQ(info.channels, 7);
    EXPECT_EQ(ambisonic, SF_AMBISONIC_B_FORMAT);
    readSound("demo/source.wav");
    EXPECT_EQ(info.channels, 1);
    std::ifstream png(path("demo/picture.png"), std::ios::binary);
    char magic[4] = {};
    png.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    EXPECT_NE(result.output.find("make install"), std::string::npos);
}

// The RIFF header fields that say what a WAV file is: the format tag, the
// channels, the sample size and, for WAVE_FORMAT_EXTENSIBLE, the speaker mask
// and the subformat's first two bytes.
struct WaveHeader {
    int formatTag = 0, channels = 0, bits = 0, subformat = 0;
    unsigned mask = 0xffffffff;
};

WaveHeader readWaveHeader(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t at) { return bytes.at(at) | bytes.at(at + 1) << 8; };
    auto u32 = [&](size_t at) { return unsigned(u16(at)) | unsigned(u16(at + 2)) << 16; };
    WaveHeader header;
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF")
        return header;
    for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + u32(at + 4) + (u32(at + 4) & 1)) {
        if (std::string(bytes.begin() + at, bytes.begin() + at + 4) != "fmt ")
            continue;
        const size_t f = at + 8;
        header.formatTag = u16(f);
        header.channels = u16(f + 2);
        header.bits = u16(f + 14);
        if (header.formatTag == 0xFFFE) {
            header.mask = u32(f + 20);
            header.subformat = u16(f + 24);
        }
        break;
    }
    return header;
}

TEST_F(VelmoraTest, AnAmbiXRenderIsTheFuMaRenderInAcnOrderWithSn3dWeights)
{
    const auto in = tone(6000);
    writeSound("in.wav", in, 1);
    writeText("moves.txt", "0 azimuth 30\n0.03 distance 1.2\n0.03 compensation 2\n0.08 y -1\n");
    const std::string options = "--automation " + path("moves.txt") + " --block 50";
    const auto fuma = render("in.wav", "fuma.amb", options);
    const auto ambix = render("in.wav", "ambix.wav", options + " --format ambix");
    EXPECT_EQ(info.channels, 16);
    EXPECT_EQ(info.frames, 6000);
    EXPECT_EQ(info.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
    EXPECT_NE(ambisonic, SF_AMBISONIC_B_FORMAT) << "AmbiX files carry no FuMa mark";
    const WaveHeader header = readWaveHeader(path("ambix.wav"));
    EXPECT_EQ(header.formatTag, 0xFFFE);
    EXPECT_EQ(header.channels, 16);
    EXPECT_EQ(header.bits, 32);
    EXPECT_EQ(header.mask, 0u) << "no speaker mask";
    EXPECT_EQ(header.subformat, 3) << "IEEE float";

    const int acn[7] = {0, 3, 1, 8, 4, 15, 9};
    const double factor[7] = {
        std::sqrt(2.0),      1, 1, std::sqrt(3.0) / 2, std::sqrt(3.0) / 2, std::sqrt(5.0 / 8.0),
        std::sqrt(5.0 / 8.0)};
    for (size_t i = 0; i < in.size(); ++i) {
        for (int c = 0; c < 7; ++c)
            ASSERT_NEAR(ambix.at(i * 16 + size_t(acn[c])), fuma.at(i * 7 + size_t(c)) * factor[c], 1e-4)
                << "sample " << i << " component " << c;
        for (int c : {2, 5, 6, 7, 10, 11, 12, 13, 14})
            ASSERT_EQ(ambix.at(i * 16 + size_t(c)), 0.0f) << "sample " << i << " ACN " << c;
    }
}

TEST_F(VelmoraTest, FormatChoosesThePluginAndRefusesWhatContradictsIt)
{
    writeSound("in.wav", tone(100), 1);
    const std::string in = path("in.wav");
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"render " + in + " " + path("out.amb") + " --format ambix",
         "out.amb: .amb files hold FuMa B-format"},
        {"render " + in + " " + path("OUT.AMB") + " --format ambix",
         "OUT.AMB: .amb files hold FuMa B-format"},
        {"render " + in + " " + path("out.amb") + " --plugin " VELMORA_AMBIX_PLUGIN_PATH,
         "out.amb: .amb files hold FuMa B-format"},
        {"render " + in + " " + path("out.wav") + " --format hoa", "--format hoa: expected fuma or ambix"},
        {"render " + in + " " + path("out.wav") + " --format ambix --plugin " VELMORA_PLUGIN_PATH,
         "is the FuMa plug-in, not the AmbiX one"},
        {"info --format fuma --plugin " VELMORA_AMBIX_PLUGIN_PATH, "is the AmbiX plug-in, not the FuMa one"},
        {"demo " + path("demo") + " --format acn", "--format acn"},
    };
    for (const Case& c : cases) {
        const Result result = velmora(c.arguments);
        EXPECT_NE(result.status, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n" << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
        EXPECT_EQ(files(), (std::vector<std::string>{"in.wav"})) << c.arguments;
    }
}

// The line after the pins says how to hear every output in a DAW.
TEST_F(VelmoraTest, InfoOfEitherPluginSaysHowToConnectItsOutputs)
{
    struct Case {
        std::string options, id, outputs, hint;
    } cases[] = {
        {"", "Nb2q", "outputs    7: W X Y U V P Q\n",
         "all 7 outputs to a 7-input bus or decoder; REAPER: a 8-channel track"},
        {"--format ambix", "Nb2a",
         "outputs    16: ACN 0 ACN 1 ACN 2 ACN 3 ACN 4 ACN 5 ACN 6 ACN 7 ACN 8 ACN 9 ACN 10 ACN 11 ACN 12 "
         "ACN 13 "
         "ACN 14 ACN 15\n",
         "all 16 outputs to a 16-input bus or decoder; REAPER: a 16-channel track"},
    };
    for (const Case& c : cases) {
        const Result result = velmora("info " + c.options);
        ASSERT_EQ(result.status, 0) << result.output;
        EXPECT_NE(result.output.find(c.id), std::string::npos) << result.output;
        const size_t pins = result.output.find(c.outputs);
        ASSERT_NE(pins, std::string::npos) << result.output;
        const size_t next = pins + c.outputs.size();
        const std::string line = result.output.substr(next, result.output.find('\n', next) - next);
        EXPECT_EQ(line.rfind("in a DAW   Ardour: strict I/O off, panner bypassed, ", 0), 0u) << line;
        EXPECT_NE(line.find(c.hint), std::string::npos) << line;
    }
}

TEST_F(VelmoraTest, TheAmbiXDemoWritesSixteenChannels)
{
    const Result result = velmora("demo " + path("demo") + " --format ambix");
    ASSERT_EQ(result.status, 0) << result.output;
    readSound("demo/encoded.wav");
    EXPECT_EQ(info.channels, 16);
    EXPECT_NE(ambisonic, SF_AMBISONIC_B_FORMAT);
    readSound("demo/binaural.wav");
    EXPECT_EQ(info.channels, 2);
    EXPECT_FALSE(std::filesystem::exists(path("demo/encoded.amb")));
    EXPECT_NE(result.output.find("Corvane Velmora XY 3 - 2d AmbiX"), std::string::npos) << result.output;
}

} // namespace
