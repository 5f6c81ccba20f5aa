#pragma once

#include <cstdint>
#include <memory>

#include "dsp/AmbiLayout.h"
#include "dsp/AmbiOrder.h"
#include "dsp/EncoderEngine.h"
#include "dsp/EncoderTargets.h"
#include "dsp/NF_filt1.h"
#include "dsp/NF_filt2.h"
#include "dsp/NF_filt3.h"
#include "dsp/NF_filt4.h"
#include "dsp/TripleBuffer.h"

// Encodes a mono signal as a point source into Ambisonic B-format.
//
// The position, distance, compensation and sample-rate fields are public and
// belong to one control thread, which writes them and then calls the matching
// update (UpdatePolarCoords, UpdateRectCoords, SetDistCoef). Each update
// computes the gain targets and near-field coefficients aside and publishes
// them whole; process(), on the audio thread, takes the newest complete set at
// the start of each block and reads nothing else, so it never waits, never
// allocates and never sees a half-written state.
class NelAmbisonicEncoder {
public:
    static constexpr float kEdge = 4.0f; // radius of the space; as a distance: the far source,
                                         // as compensation distance: compensation off
    static constexpr float kNearestFilterDistance = 0.5f;
    static constexpr float kSpeedOfSound = 342.0f;
    static constexpr float kInitialSampleRate = 48000.0f;

    // Throws std::invalid_argument for an order outside the nine layouts.
    // `outputWeights`, when given, holds one factor per output channel that
    // its gain carries: the same signal in another channel normalisation,
    // at no cost per sample. Without it every factor is 1.
    explicit NelAmbisonicEncoder(AmbiOrder order, const double* outputWeights = nullptr);
    ~NelAmbisonicEncoder();
    NelAmbisonicEncoder(const NelAmbisonicEncoder&) = delete;
    NelAmbisonicEncoder& operator=(const NelAmbisonicEncoder&) = delete;

    // Reads inputs[0] and overwrites outputs[0 .. numChannels-1]. The input
    // may be one of the outputs. Nothing happens for sampleFrames <= 0.
    void process(const float* const* inputs, float* const* outputs, int32_t sampleFrames);

    // Clears the filter memories and lets every smoothed value start at its
    // target, from the next block on.
    void resume();

    void UpdatePolarCoords();
    void UpdateRectCoords();
    void UpdateHOrders();
    void SetDistCoef(float sourceDistance, float compensationDistance);

    const AmbiOrder order;
    const int32_t numChannels;
    float azimuth = 0.0f;
    float elevation = 0.0f;
    float distance = kEdge;
    float filterDistance = kEdge;
    float compDistance = kEdge;
    float sampleRate = kInitialSampleRate;
    float x = kEdge;
    float y = 0.0f;
    float z = 0.0f;
    std::unique_ptr<float[]> gains; // target gain per output channel
    // Coefficient sets as last computed; every filter of one order shares its set.
    NF_filt1 nf1[3];
    NF_filt2 nf2[5];
    NF_filt3 nf3[7];
    NF_filt4 nf4[9];

private:
    // The sines and cosines of azimuth and elevation, in double precision.
    struct Direction {
        double cosAzimuth, sinAzimuth, cosElevation, sinElevation;
    };
    // One angle's cosine and sine as last computed, and for which value.
    struct AngleSines {
        float angle = 0.0f;
        bool known = false;
        double cos = 1.0, sin = 0.0;

        void update(float value);
    };

    bool compensationOn() const { return compDistance < kEdge; }
    NearFieldStage nearFieldStage() const;
    Direction direction();
    void computeGains();
    void computeGains(const Direction& direction);
    void computeFilterCoefficients(float sourceDistance, float compensationDistance);
    // Hands the current targets to the audio thread; with a reset, the
    // smoothers jump to them and the filter memories are cleared first.
    void publish(bool withReset = false);

    const AmbiLayout& layout_;
    double weights_[kMaxChannels];
    AngleSines azimuthSines_, elevationSines_;
    EncoderUpdate pending_; // control thread's copy of what was last published
    TripleBuffer<EncoderUpdate> handover_;
    EncoderEngine engine_;
};
