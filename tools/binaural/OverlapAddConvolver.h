#pragma once

#include <kiss_fftr.h>

#include <vector>

// Convolves several input signals, each with its own impulse response per
// output, and sums them into each output: out[o] = sum over i of in[i] * h[i][o].
// Block by block with one FFT per input and one inverse FFT per output, the
// products summed in the frequency domain (overlap-add through kissfft).
class OverlapAddConvolver {
public:
    // filters[i][o]: the response from input i to output o. Every input needs
    // the same number of outputs; responses may differ in length.
    explicit OverlapAddConvolver(const std::vector<std::vector<std::vector<float>>>& filters);
    ~OverlapAddConvolver();
    OverlapAddConvolver(const OverlapAddConvolver&) = delete;
    OverlapAddConvolver& operator=(const OverlapAddConvolver&) = delete;

    // The number of frames process() takes and gives each time.
    int blockSize() const { return block; }

    // Takes blockSize() frames of every input and writes the next blockSize()
    // frames of every output; the responses' tails carry into later blocks.
    void process(const float* const* inputs, float* const* outputs);

private:
    int block;
    int fftSize;
    int bins;
    int inputCount;
    int outputCount;
    kiss_fftr_cfg forward = nullptr;
    kiss_fftr_cfg inverse = nullptr;
    std::vector<std::vector<kiss_fft_cpx>> spectra; // [input * outputCount + output], scaled by 1 / fftSize
    std::vector<float> frame;
    std::vector<kiss_fft_cpx> inputSpectrum;
    std::vector<std::vector<kiss_fft_cpx>> sums; // per output
    std::vector<float> result;
    std::vector<std::vector<float>> tails; // per output: what spills into the next blocks
};
