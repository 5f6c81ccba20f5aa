// The binaural render's pieces: the FFT convolution and the loudspeaker feeds.

#include "tools/binaural/BinauralDecoder.h"
#include "tools/binaural/OverlapAddConvolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<float> randomSignal(size_t length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> x(length);
    for (float& v : x)
        v = uniform(generator);
    return x;
}

// Responses of different lengths (one sample, a few, longer than a block of
// the shortest) summed into two outputs over several blocks: each output is
// the plain time-domain sum of convolutions, tails carried across blocks.
TEST(OverlapAddConvolver, SumsTheConvolutionsOfEveryInput)
{
    const std::vector<std::vector<std::vector<float>>> filters = {
        {randomSignal(1, 1), randomSignal(37, 2)},
        {randomSignal(300, 3), randomSignal(5, 4)},
    };
    OverlapAddConvolver convolver(filters);
    const int block = convolver.blockSize();
    ASSERT_GE(block, 300);
    const size_t length = static_cast<size_t>(block) * 6;
    const std::vector<std::vector<float>> inputs = {randomSignal(length, 5), randomSignal(length, 6)};
    std::vector<std::vector<float>> outputs(2, std::vector<float>(length));
    for (size_t start = 0; start < length; start += static_cast<size_t>(block)) {
        const float* in[2] = {inputs[0].data() + start, inputs[1].data() + start};
        float* out[2] = {outputs[0].data() + start, outputs[1].data() + start};
        convolver.process(in, out);
    }
    for (size_t o = 0; o < 2; ++o) {
        for (size_t n = 0; n < length; ++n) {
            double expected = 0.0;
            for (size_t i = 0; i < 2; ++i)
                for (size_t k = 0; k < filters[i][o].size() && k <= n; ++k)
                    expected += double(filters[i][o][k]) * inputs[i][n - k];
            ASSERT_NEAR(outputs[o][n], expected, 1e-4) << "output " << o << " sample " << n;
        }
    }
}

// Feeds for a plane wave from `azimuth` degrees, one per loudspeaker.
std::vector<double> feedsFor(double azimuth)
{
    const double a = azimuth * 3.141592653589793 / 180.0;
    const double bformat[7] = {std::sqrt(0.5),  std::cos(a),     std::sin(a),    std::cos(2 * a),
                               std::sin(2 * a), std::cos(3 * a), std::sin(3 * a)};
    std::vector<double> feeds;
    for (int s = 0; s < BinauralDecoder::kSpeakers; ++s) {
        const auto gains = BinauralDecoder::speakerGains(360.0 * s / BinauralDecoder::kSpeakers);
        double feed = 0.0;
        for (int c = 0; c < 7; ++c)
            feed += gains[static_cast<size_t>(c)] * bformat[c];
        feeds.push_back(feed);
    }
    return feeds;
}

// The ring starts in front and goes anticlockwise, 45 degrees apart.
TEST(BinauralDecoder, APlaneWaveFeedsTheLoudspeakersNearestItAndKeepsItsLevel)
{
    for (double azimuth : {0.0, 90.0, 200.0, 292.5}) {
        const std::vector<double> feeds = feedsFor(azimuth);
        double sum = 0.0;
        for (double f : feeds)
            sum += f;
        EXPECT_NEAR(sum, 1.0, 1e-9) << azimuth;
        const int nearest = static_cast<int>(std::lround(azimuth / 45.0)) % BinauralDecoder::kSpeakers;
        for (int s = 0; s < BinauralDecoder::kSpeakers; ++s) {
            if (s != nearest) {
                EXPECT_LE(feeds[static_cast<size_t>(s)], feeds[static_cast<size_t>(nearest)]) << azimuth;
            }
        }
    }
    // Between two loudspeakers, both get the same.
    const std::vector<double> between = feedsFor(22.5);
    EXPECT_NEAR(between[0], between[1], 1e-9);
    EXPECT_NEAR(between[7], between[2], 1e-9);
}

} // namespace
