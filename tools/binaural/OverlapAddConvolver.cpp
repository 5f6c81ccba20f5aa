#include "tools/binaural/OverlapAddConvolver.h"

#include "tools/HostError.h"

#include <algorithm>

namespace {

size_t longestResponse(const std::vector<std::vector<std::vector<float>>>& filters)
{
    size_t longest = 1;
    for (const auto& input : filters)
        for (const auto& response : input)
            longest = std::max(longest, response.size());
    return longest;
}

// sum += x * h, bin by bin.
void accumulateProduct(const kiss_fft_cpx* x, const kiss_fft_cpx* h, kiss_fft_cpx* sum, int bins)
{
    for (int k = 0; k < bins; ++k) {
        sum[k].r += x[k].r * h[k].r - x[k].i * h[k].i;
        sum[k].i += x[k].r * h[k].i + x[k].i * h[k].r;
    }
}

} // namespace

// A block as long as the longest response (at least): the FFT of twice that
// holds a block's whole convolution, and its tail spills into one block only.
OverlapAddConvolver::OverlapAddConvolver(const std::vector<std::vector<std::vector<float>>>& filters)
    : block(kiss_fftr_next_fast_size_real(static_cast<int>(longestResponse(filters)))), fftSize(2 * block),
      bins(fftSize / 2 + 1), inputCount(static_cast<int>(filters.size())),
      outputCount(filters.empty() ? 0 : static_cast<int>(filters[0].size()))
{
    for (const auto& input : filters)
        if (static_cast<int>(input.size()) != outputCount)
            throw HostError("every input of the convolver needs the same number of outputs");
    forward = kiss_fftr_alloc(fftSize, 0, nullptr, nullptr);
    inverse = kiss_fftr_alloc(fftSize, 1, nullptr, nullptr);
    if (forward == nullptr || inverse == nullptr) {
        kiss_fftr_free(forward);
        kiss_fftr_free(inverse);
        throw HostError("out of memory for the convolution");
    }
    frame.assign(static_cast<size_t>(fftSize), 0.0f);
    inputSpectrum.resize(static_cast<size_t>(bins));
    // kissfft's inverse is not normalised: the responses carry the 1/N.
    const float scale = 1.0f / static_cast<float>(fftSize);
    for (const auto& input : filters) {
        for (const auto& response : input) {
            std::fill(frame.begin(), frame.end(), 0.0f);
            for (size_t k = 0; k < response.size(); ++k)
                frame[k] = response[k] * scale;
            spectra.emplace_back(static_cast<size_t>(bins));
            kiss_fftr(forward, frame.data(), spectra.back().data());
        }
    }
    sums.assign(static_cast<size_t>(outputCount), std::vector<kiss_fft_cpx>(static_cast<size_t>(bins)));
    result.assign(static_cast<size_t>(fftSize), 0.0f);
    tails.assign(static_cast<size_t>(outputCount), std::vector<float>(static_cast<size_t>(block), 0.0f));
}

OverlapAddConvolver::~OverlapAddConvolver()
{
    kiss_fftr_free(forward);
    kiss_fftr_free(inverse);
}

void OverlapAddConvolver::process(const float* const* inputs, float* const* outputs)
{
    for (auto& sum : sums)
        std::fill(sum.begin(), sum.end(), kiss_fft_cpx{0.0f, 0.0f});
    for (int i = 0; i < inputCount; ++i) {
        std::copy_n(inputs[i], block, frame.begin());
        std::fill(frame.begin() + block, frame.end(), 0.0f);
        kiss_fftr(forward, frame.data(), inputSpectrum.data());
        for (int o = 0; o < outputCount; ++o)
            accumulateProduct(inputSpectrum.data(), spectra[static_cast<size_t>(i * outputCount + o)].data(),
                              sums[static_cast<size_t>(o)].data(), bins);
    }
    for (int o = 0; o < outputCount; ++o) {
        kiss_fftri(inverse, sums[static_cast<size_t>(o)].data(), result.data());
        float* tail = tails[static_cast<size_t>(o)].data();
        for (int n = 0; n < block; ++n) {
            outputs[o][n] = result[n] + tail[n];
            tail[n] = result[block + n];
        }
    }
}
