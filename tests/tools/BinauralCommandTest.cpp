// velmora binaural end to end: a source encoded by the plug-in and rendered
// for headphones, judged on what reaches the two ears.

#include "tests/tools/SoundFolderTest.h"

#include <gtest/gtest.h>
#include <kiss_fftr.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

// The default responses' own rate: no resampling, so each case stays quick.
constexpr int kRate = 44100;
constexpr double kPi = 3.141592653589793;
constexpr double kSpeedOfSound = 343.0;
// Half the distance between the ears of the dummy head the default set was measured on.
constexpr double kEarRadius = 0.0875;

struct Ears {
    std::vector<float> left, right;
};

class BinauralTest : public SoundFolderTest {
protected:
    // Exit status; the output (standard output and error) in `said`.
    int velmora(const std::string& arguments)
    {
        const VelmoraResult result = run(arguments);
        said = result.output;
        return result.status;
    }

    void writeSound(const std::string& name, const std::vector<float>& interleaved, int channels,
                    bool marked = false, int rate = kRate) const
    {
        writeSoundFile(name, interleaved, channels, rate, marked);
    }

    std::vector<float> readSound(const std::string& name, SF_INFO& info) const
    {
        return readSoundFile(name, info);
    }

    // The mono source encoded by the plug-in with `settings` into NAME.amb.
    void encode(const std::vector<float>& source, const std::string& settings, const std::string& name)
    {
        writeSound("source.wav", source, 1);
        ASSERT_EQ(velmora("render " + path("source.wav") + " " + path(name) + " " + settings), 0) << said;
    }

    Ears listen(const std::string& in, const std::string& options = "")
    {
        std::filesystem::remove(path("ears.wav"));
        EXPECT_EQ(velmora("binaural " + path(in) + " " + path("ears.wav") + " " + options), 0) << said;
        SF_INFO info;
        const auto samples = readSound("ears.wav", info);
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        Ears ears;
        for (size_t i = 0; i + 1 < samples.size(); i += 2) {
            ears.left.push_back(samples[i]);
            ears.right.push_back(samples[i + 1]);
        }
        return ears;
    }

    // The small SOFA set of raised-responses.cdl, as it is or lowered to ear
    // height, written by ncgen as NAME.
    void writeSmallSofaSet(const std::string& name, bool atEarHeight)
    {
        std::ifstream source(RAISED_RESPONSES_CDL);
        std::string text((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(text.empty());
        for (size_t at; atEarHeight && (at = text.find(", 60, 1.4")) != std::string::npos;)
            text.replace(at, 9, ", 0, 1.4");
        std::ofstream(path("set.cdl")) << text;
        ASSERT_EQ(std::system(("ncgen -k nc4 -o '" + path(name) + "' '" + path("set.cdl") + "'").c_str()), 0);
        std::filesystem::remove(path("set.cdl"));
    }

    std::string said;
};

double energy(const std::vector<float>& x)
{
    double sum = 0.0;
    for (float v : x)
        sum += double(v) * v;
    return sum;
}

double decibels(double energyRatio)
{
    return 10.0 * std::log10(energyRatio);
}

// Energy of the band from `low` to `high` Hz, from the whole signal's spectrum.
double bandEnergy(const std::vector<float>& x, double low, double high)
{
    const int size = kiss_fftr_next_fast_size_real(static_cast<int>(x.size()));
    std::vector<float> padded(x);
    padded.resize(static_cast<size_t>(size), 0.0f);
    std::vector<kiss_fft_cpx> spectrum(static_cast<size_t>(size / 2 + 1));
    kiss_fftr_cfg fft = kiss_fftr_alloc(size, 0, nullptr, nullptr);
    kiss_fftr(fft, padded.data(), spectrum.data());
    kiss_fftr_free(fft);
    double sum = 0.0;
    for (size_t k = 0; k < spectrum.size(); ++k) {
        const double hz = double(k) * kRate / size;
        if (hz >= low && hz <= high)
            sum += double(spectrum[k].r) * spectrum[k].r + double(spectrum[k].i) * spectrum[k].i;
    }
    return sum;
}

// The lag, in samples, by which the right ear follows the left: where their
// cross-correlation peaks within a millisecond either way.
int rightLagsLeftBy(const Ears& ears)
{
    const int range = kRate / 1000;
    int best = 0;
    double bestSum = -1e300;
    for (int lag = -range; lag <= range; ++lag) {
        double sum = 0.0;
        for (size_t n = size_t(range); n + size_t(range) < ears.left.size(); ++n)
            sum += double(ears.left[n]) * ears.right[size_t(std::ptrdiff_t(n) + lag)];
        if (sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}

struct Cues {
    double level; // left over right, dB
    double presence; // the same from 1 to 8 kHz
    int lag; // samples the right ear follows the left by
};

Cues cuesOf(const Ears& ears)
{
    return {decibels(energy(ears.left) / energy(ears.right)),
            decibels(bandEnergy(ears.left, 1000, 8000) / bandEnergy(ears.right, 1000, 8000)),
            rightLagsLeftBy(ears)};
}

// The complex amplitude at `hz` of one channel of an interleaved signal, over
// its second half (past the plug-in's glide from its start).
std::complex<double> phasorAt(const std::vector<float>& x, double hz, size_t channels, size_t channel)
{
    std::complex<double> sum = 0.0;
    const size_t frames = x.size() / channels;
    for (size_t n = frames / 2; n < frames; ++n)
        sum += double(x[n * channels + channel]) * std::polar(1.0, -2.0 * kPi * hz * double(n) / kRate);
    return 2.0 * sum / double(frames - frames / 2);
}

// The pressure at `hz` that the field a B-format signal describes gives at a
// point `radius` metres from the centre in direction `azimuth` (radians),
// in free field: the interior expansion sum of eps_m j^m J_m(kr) times the
// order-m pair in that direction (W carries 1/sqrt(2) of order 0).
std::complex<double> pressureAt(const std::vector<float>& bformat, double hz, double radius, double azimuth)
{
    const double kr = 2.0 * kPi * hz / kSpeedOfSound * radius;
    std::complex<double> p = std::sqrt(2.0) * phasorAt(bformat, hz, 7, 0) * std::cyl_bessel_j(0.0, kr);
    const std::complex<double> j(0.0, 1.0);
    for (int m = 1; m <= 3; ++m) {
        const auto cosine = phasorAt(bformat, hz, 7, size_t(2 * m - 1));
        const auto sine = phasorAt(bformat, hz, 7, size_t(2 * m));
        p += 2.0 * std::pow(j, m) * std::cyl_bessel_j(double(m), kr) *
            (cosine * std::cos(m * azimuth) + sine * std::sin(m * azimuth));
    }
    return p;
}

// 0.3 s of white noise.
std::vector<float> noise()
{
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> samples(kRate * 3 / 10);
    for (float& s : samples)
        s = uniform(generator);
    return samples;
}

std::vector<float> tone(double hz, double seconds)
{
    std::vector<float> samples(static_cast<size_t>(seconds * kRate));
    for (size_t n = 0; n < samples.size(); ++n)
        samples[n] = static_cast<float>(0.5 * std::sin(2.0 * kPi * hz * double(n) / kRate));
    return samples;
}

TEST_F(BinauralTest, AFarSourceIsHeardFromItsSide)
{
    const auto source = noise();
    auto cuesAt = [&](int azimuth) {
        encode(source, "--set azimuth=" + std::to_string(azimuth), "far.amb");
        return cuesOf(listen("far.amb"));
    };
    const Cues left = cuesAt(90), right = cuesAt(270), front = cuesAt(0), back = cuesAt(180);
    EXPECT_GT(left.level, 6.0);
    EXPECT_GT(left.presence, 8.0);
    // Roughly half a millisecond, as a head's width gives.
    EXPECT_GE(left.lag, kRate * 3 / 10000);
    EXPECT_LE(left.lag, kRate * 9 / 10000);
    EXPECT_NEAR(right.level, -left.level, 1.0);
    EXPECT_NEAR(right.presence, -left.presence, 1.0);
    EXPECT_NEAR(right.lag, -left.lag, 3);
    for (const Cues& middle : {front, back}) {
        EXPECT_NEAR(middle.level, 0.0, 1.0);
        EXPECT_NEAR(middle.presence, 0.0, 1.0);
        EXPECT_NEAR(middle.lag, 0, 2);
    }
}

TEST_F(BinauralTest, TheEarsHearTheSourceAtItsOwnLevel)
{
    const auto source = noise();
    encode(source, "--set azimuth=30", "far.amb");
    const Ears ears = listen("far.amb");
    EXPECT_EQ(ears.left.size(), source.size());
    EXPECT_NEAR(decibels((energy(ears.left) + energy(ears.right)) / 2.0 / energy(source)), 0.0, 6.0);
}

// Near-field compensation draws the curved wavefront of a close source: at
// 100 Hz, where the head hardly shadows, a source 0.5 m to the left is
// louder at the left ear and quieter at the right than the same source at
// 3 m, by what the B-format's field gives at the ears' places in free field.
// In front, both ears stay as they were.
TEST_F(BinauralTest, ACloseSourceChangesTheBassAtTheEarsAsTheNearFieldFiltersSay)
{
    const auto bass = tone(100.0, 0.5);
    struct Change {
        double predicted[2];
        double heard[2];
    };
    auto changeFromFarToNear = [&](const std::string& axis) {
        std::complex<double> predicted[2][2], heard[2][2];
        const char* distances[] = {"3", "0.5"};
        for (int d = 0; d < 2; ++d) {
            encode(bass, "--set compensation=2 --set x=0 --set y=0 --set " + axis + "=" + distances[d],
                   "b.amb");
            SF_INFO info;
            const auto bformat = readSound("b.amb", info);
            predicted[d][0] = pressureAt(bformat, 100.0, kEarRadius, kPi / 2);
            predicted[d][1] = pressureAt(bformat, 100.0, kEarRadius, -kPi / 2);
            const Ears ears = listen("b.amb");
            heard[d][0] = phasorAt(ears.left, 100.0, 1, 0);
            heard[d][1] = phasorAt(ears.right, 100.0, 1, 0);
        }
        Change change{};
        for (int ear = 0; ear < 2; ++ear) {
            change.predicted[ear] =
                20.0 * std::log10(std::abs(predicted[1][ear]) / std::abs(predicted[0][ear]));
            change.heard[ear] = 20.0 * std::log10(std::abs(heard[1][ear]) / std::abs(heard[0][ear]));
        }
        return change;
    };
    const Change left = changeFromFarToNear("y");
    EXPECT_GT(left.heard[0], 1.0);
    EXPECT_LT(left.heard[1], -1.0);
    const Change front = changeFromFarToNear("x");
    for (const Change& change : {left, front})
        for (int ear = 0; ear < 2; ++ear)
            EXPECT_NEAR(change.heard[ear], change.predicted[ear], 1.0) << "ear " << ear;
}

// The same scene as sixteen AmbiX channels (ACN order, SN3D weights) is
// heard as from the FuMa file. The channels a horizontal render does not use
// carry a signal that would show if they were read.
TEST_F(BinauralTest, AnAmbiXFileIsHeardAsItsFuMaTwin)
{
    encode(noise(), "--set azimuth=60 --set distance=2", "fuma.amb");
    SF_INFO info;
    const auto fuma = readSound("fuma.amb", info);
    const size_t frames = fuma.size() / 7;
    // W X Y U V P Q: where each goes in ACN, and its factor to SN3D.
    const int acn[7] = {0, 3, 1, 8, 4, 15, 9};
    const double toSn3d[7] = {
        std::sqrt(2.0), 1, 1, std::sqrt(3.0) / 2, std::sqrt(3.0) / 2, std::sqrt(5.0 / 8), std::sqrt(5.0 / 8)};
    std::vector<float> ambix(frames * 16);
    for (size_t n = 0; n < frames; ++n) {
        for (int c : {2, 5, 6, 7, 10, 11, 12, 13, 14})
            ambix[n * 16 + size_t(c)] = fuma[n * 7];
        for (int c = 0; c < 7; ++c)
            ambix[n * 16 + size_t(acn[c])] = static_cast<float>(fuma[n * 7 + size_t(c)] * toSn3d[c]);
    }
    writeSound("ambix.wav", ambix, 16);
    const Ears fromFuMa = listen("fuma.amb");
    const Ears fromAmbiX = listen("ambix.wav");
    EXPECT_NE(said.find("from AmbiX"), std::string::npos) << said;
    ASSERT_EQ(fromAmbiX.left.size(), fromFuMa.left.size());
    for (size_t n = 0; n < frames; ++n) {
        ASSERT_NEAR(fromAmbiX.left[n], fromFuMa.left[n], 1e-5) << n;
        ASSERT_NEAR(fromAmbiX.right[n], fromFuMa.right[n], 1e-5) << n;
    }
    // The same channels in a WAVE-EX file carrying the FuMa mark: only on request.
    writeSound("marked.wav", ambix, 16, true);
    EXPECT_NE(velmora("binaural " + path("marked.wav") + " " + path("out.wav")), 0);
    EXPECT_EQ(listen("marked.wav", "--format ambix").left, fromAmbiX.left);
}

// What the AmbiX plug-in renders is recognised by its header alone and heard
// as the FuMa plug-in's render of the same source.
TEST_F(BinauralTest, TheAmbiXRenderIsReadWithoutBeingToldAndHeardAsTheFuMaOne)
{
    const std::string settings = "--set azimuth=120 --set distance=1.5 --set compensation=2";
    encode(noise(), settings, "fuma.amb");
    encode(noise(), settings + " --format ambix", "ambix.wav");
    const Ears fromFuMa = listen("fuma.amb");
    const Ears fromAmbiX = listen("ambix.wav");
    EXPECT_NE(said.find("from AmbiX"), std::string::npos) << said;
    ASSERT_EQ(fromAmbiX.left.size(), fromFuMa.left.size());
    // The two plug-ins' gain smoothers settle within about 6e-5 of each other.
    for (size_t n = 0; n < fromFuMa.left.size(); ++n) {
        ASSERT_NEAR(fromAmbiX.left[n], fromFuMa.left[n], 2e-4) << n;
        ASSERT_NEAR(fromAmbiX.right[n], fromFuMa.right[n], 2e-4) << n;
    }
}

// A set whose every response is the same impulse, one sample later at the
// right ear: whatever the direction, the ears hear W alone (the loudspeaker
// feeds add up to it), the right a sample after the left.
TEST_F(BinauralTest, TheUsersOwnSetIsUsed)
{
    writeSmallSofaSet("own.sofa", true);
    encode(noise(), "--set azimuth=120 --set distance=1", "b.amb");
    SF_INFO info;
    const auto bformat = readSound("b.amb", info);
    const Ears ears = listen("b.amb", "--sofa " + path("own.sofa"));
    const double gain = ears.left[100] / bformat[(100 - 2) * 7];
    EXPECT_GT(gain, 0.0);
    for (size_t n = 2; n + 1 < ears.left.size(); ++n) {
        ASSERT_NEAR(ears.left[n], gain * bformat[(n - 2) * 7], 1e-5) << n;
        ASSERT_NEAR(ears.right[n + 1], ears.left[n], 1e-5) << n;
    }
}

TEST_F(BinauralTest, BadInputGivesOneLineAndLeavesNoFile)
{
    const std::vector<float> silence(7 * 100, 0.0f);
    writeSound("in.amb", silence, 7, true);
    writeSound("unmarked.amb", silence, 7);
    writeSound("three.wav", std::vector<float>(3 * 100, 0.0f), 3);
    writeSound("slow.amb", silence, 7, true, 4000);
    std::ofstream(path("notes.txt")) << "not a sound\n";
    writeSmallSofaSet("raised.sofa", false);
    const std::vector<std::string> before = files();
    const std::string in = path("in.amb"), out = path("out.wav");
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {path("missing.amb") + " " + out, "missing.amb: No such file or directory"},
        {path("notes.txt") + " " + out, "notes.txt: not a sound file"},
        {path("three.wav") + " " + out, "three.wav has 3 channels, which is no B-format velmora reads"},
        {path("unmarked.amb") + " " + out, "no Ambisonic B-format mark in its header; if they are FuMa"},
        {in + " " + out + " --format ambix", "in.amb has 7 channels; --format ambix reads 16"},
        {in + " " + out + " --format acn", "--format acn: expected fuma or ambix"},
        {in + " " + out + " --sofa " + path("notes.txt"), "notes.txt is not a SOFA file libmysofa reads"},
        {in + " " + out + " --sofa " + path("missing.sofa"), "missing.sofa: No such file or directory"},
        {in + " " + out + " --sofa " + path("raised.sofa"),
         "raised.sofa has no responses near ear height: the nearest to azimuth 0 degrees is 60 degrees away"},
        {path("slow.amb") + " " + out, "(at 44100 Hz) cannot be resampled to 4000 Hz"},
        {in + " " + in, "is the input file"},
        {in + " " + path("no-such-folder/out.wav"), "cannot write"},
        {in, "usage: velmora binaural"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(velmora("binaural " + c.arguments), 0) << c.arguments;
        EXPECT_NE(said.find(c.message), std::string::npos) << c.arguments << "\n" << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(files(), before) << c.arguments;
    }
}

TEST_F(BinauralTest, TheDemoWritesItsSceneForHeadphonesAndNamesItFirst)
{
    ASSERT_EQ(velmora("demo " + path("demo")), 0) << said;
    SF_INFO encoded, ears;
    readSound("demo/encoded.amb", encoded);
    readSound("demo/binaural.wav", ears);
    EXPECT_EQ(ears.channels, 2);
    EXPECT_EQ(ears.samplerate, encoded.samplerate);
    EXPECT_EQ(ears.frames, encoded.frames);
    const size_t named = said.find("binaural.wav");
    EXPECT_NE(said.find("listen on headphones", named), std::string::npos) << said;
    EXPECT_LT(named, said.find("source.wav")) << said;
}

} // namespace
