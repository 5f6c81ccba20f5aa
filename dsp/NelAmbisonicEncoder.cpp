#include "dsp/NelAmbisonicEncoder.h"
#include "dsp/Angles.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kW = 0.70710677f; // 1/sqrt(2) in single precision
// A distance this close to the edge is the edge: a point that the edge clamp
// placed there must not turn into a near source when another coordinate
// changes and the rounding of the recomputed distance lands just inside.
constexpr float kEdgeSnap = 1e-6f;

bool isPositiveFinite(float v)
{
    return v > 0.0f && std::isfinite(v);
}

double sq(double v)
{
    return v * v;
}

// The Furse-Malham channel definitions from the working values X, Y, Z, d
// (the direction cosines and 1, or the position and distance over 4). Each
// square is one rounded product, which its constant then scales.
double channelGain(AmbiChannel channel, double X, double Y, double Z, double d, double azimuth)
{
    switch (channel) {
    case AmbiChannel::W: return kW;
    case AmbiChannel::X: return X;
    case AmbiChannel::Y: return Y;
    case AmbiChannel::Z: return Z;
    case AmbiChannel::R: return 1.5 * sq(Z) - 0.5 * sq(d);
    case AmbiChannel::S: return 2.0 * Z * X;
    case AmbiChannel::T: return 2.0 * Y * Z;
    case AmbiChannel::U: return sq(X) - sq(Y);
    case AmbiChannel::V: return 2.0 * X * Y;
    case AmbiChannel::K: return 0.5 * Z * (5.0 * sq(Z) - 3.0 * sq(d));
    case AmbiChannel::L: return 8.0 * X * (5.0 * sq(Z) - sq(d)) / 11.0;
    case AmbiChannel::M: return 8.0 * Y * (5.0 * sq(Z) - sq(d)) / 11.0;
    case AmbiChannel::N: return 2.5981 * Z * (sq(X) - sq(Y));
    case AmbiChannel::O: return 5.1962 * X * Y * Z;
    case AmbiChannel::P: return X * (sq(X) - 3.0 * sq(Y));
    case AmbiChannel::Q: return Y * (3.0 * sq(X) - sq(Y));
    case AmbiChannel::C4: return std::pow(std::sqrt(sq(X) + sq(Y)), 4.0) * std::cos(4.0 * azimuth);
    case AmbiChannel::S4: return std::pow(std::sqrt(sq(X) + sq(Y)), 4.0) * std::sin(4.0 * azimuth);
    }
    return 0.0;
}

NearFieldCoefs coefsOf(const NF_filt1& f)
{
    return {f.gain, {f.dist1}, {f.comp1}};
}
NearFieldCoefs coefsOf(const NF_filt2& f)
{
    return {f.gain, {f.dist1, f.dist2}, {f.comp1, f.comp2}};
}
NearFieldCoefs coefsOf(const NF_filt3& f)
{
    return {f.gain, {f.dist1, f.dist2, f.dist3}, {f.comp1, f.comp2, f.comp3}};
}
NearFieldCoefs coefsOf(const NF_filt4& f)
{
    return {f.gain, {f.dist1, f.dist2, f.dist3, f.dist4}, {f.comp1, f.comp2, f.comp3, f.comp4}};
}

bool isFinite(const NearFieldCoefs& c)
{
    bool finite = std::isfinite(c.gain);
    for (int k = 0; k < kMaxFilterOrder; ++k)
        finite = finite && std::isfinite(c.dist[k]) && std::isfinite(c.comp[k]);
    return finite;
}

// Gives the first `count` filters of an order the coefficients of `design`.
template <typename Filter> void shareCoefficients(Filter* filters, int count, const Filter& design)
{
    for (int k = 0; k < count; ++k)
        filters[k].init(design);
}

} // namespace

NelAmbisonicEncoder::NelAmbisonicEncoder(AmbiOrder order_, const double* outputWeights)
    : order(order_), numChannels(AmbiLayout::of(order_).numChannels),
      gains(new float[static_cast<size_t>(numChannels)]()), layout_(AmbiLayout::of(order_)), engine_(order_)
{
    for (int j = 0; j < kMaxChannels; ++j)
        weights_[j] = outputWeights != nullptr && j < numChannels ? outputWeights[j] : 1.0;
    gains[0] = kW;
    computeGains();
    computeFilterCoefficients(filterDistance, compDistance);
    publish();
}

NelAmbisonicEncoder::~NelAmbisonicEncoder() = default;

void NelAmbisonicEncoder::process(const float* const* inputs, float* const* outputs, int32_t sampleFrames)
{
    if (sampleFrames <= 0 || inputs == nullptr || outputs == nullptr || inputs[0] == nullptr)
        return;
    for (int j = 0; j < numChannels; ++j)
        if (outputs[j] == nullptr)
            return;
    if (handover_.take())
        engine_.take(handover_.front());
    engine_.render(inputs[0], outputs, sampleFrames);
}

void NelAmbisonicEncoder::resume()
{
    publish(true);
}

void NelAmbisonicEncoder::AngleSines::update(float value)
{
    // The same bits give the same sine and cosine: automation of one angle
    // leaves the other's as they were.
    if (known && std::memcmp(&angle, &value, sizeof value) == 0)
        return;
    const double a = value;
    cos = std::cos(a);
    sin = std::sin(a);
    angle = value;
    known = true;
}

NelAmbisonicEncoder::Direction NelAmbisonicEncoder::direction()
{
    azimuthSines_.update(azimuth);
    elevationSines_.update(elevation);
    return {azimuthSines_.cos, azimuthSines_.sin, elevationSines_.cos, elevationSines_.sin};
}

void NelAmbisonicEncoder::UpdatePolarCoords()
{
    // One set of sines and cosines serves the rectangular view and the gains.
    const Direction d = direction();
    x = static_cast<float>(d.cosElevation * d.cosAzimuth * distance);
    y = static_cast<float>(d.cosElevation * d.sinAzimuth * distance);
    z = static_cast<float>(distance * d.sinElevation);
    computeGains(d);
    publish();
}

void NelAmbisonicEncoder::UpdateRectCoords()
{
    const double h = sq(x) + sq(y);
    float r = static_cast<float>(std::sqrt(sq(z) + h));
    if (x == 0.0f && y == 0.0f) {
        azimuth = 0.0f;
    } else {
        double a = std::atan2(static_cast<double>(y), static_cast<double>(x));
        if (a < 0.0)
            a += kTwoPi;
        azimuth = static_cast<float>(a);
    }
    elevation = z == 0.0f ? 0.0f : static_cast<float>(std::atan2(static_cast<double>(z), std::sqrt(h)));
    if (r > kEdge) {
        // Pull the point in along its own direction onto the edge.
        r = kEdge;
        const Direction d = direction();
        x = static_cast<float>(4.0 * d.cosElevation * d.cosAzimuth);
        y = static_cast<float>(4.0 * d.cosElevation * d.sinAzimuth);
        z = static_cast<float>(4.0 * d.sinElevation);
    } else if (kEdge - r <= kEdgeSnap) {
        r = kEdge;
    }
    distance = r;
    computeGains();
    filterDistance = distance < kNearestFilterDistance ? kNearestFilterDistance : distance;
    computeFilterCoefficients(filterDistance, compDistance);
    publish();
}

void NelAmbisonicEncoder::UpdateHOrders()
{
    computeGains();
    publish();
}

void NelAmbisonicEncoder::SetDistCoef(float sourceDistance, float compensationDistance)
{
    computeFilterCoefficients(sourceDistance, compensationDistance);
    publish();
}

NearFieldStage NelAmbisonicEncoder::nearFieldStage() const
{
    if (!compensationOn())
        return NearFieldStage::Off;
    return distance < kEdge ? NearFieldStage::Full : NearFieldStage::CompensationOnly;
}

void NelAmbisonicEncoder::computeGains()
{
    // Only the direction mode needs the angles' sines and cosines.
    computeGains(compensationOn() ? direction() : Direction{});
}

void NelAmbisonicEncoder::computeGains(const Direction& direction)
{
    // With compensation on the gains follow the direction alone and the
    // filters render the distance; with it off, the position scaled to the
    // unit edge fades every order-m channel by (distance / 4)^m.
    double X, Y, Z, d;
    if (compensationOn()) {
        X = direction.cosElevation * direction.cosAzimuth;
        Y = direction.cosElevation * direction.sinAzimuth;
        Z = direction.sinElevation;
        d = 1.0;
    } else {
        X = x * 0.25;
        Y = y * 0.25;
        Z = z * 0.25;
        d = distance * 0.25;
    }
    float next[kMaxChannels];
    for (int j = 0; j < numChannels; ++j) {
        // Weighted before the one rounding to float; a weight of 1 leaves
        // every gain exactly as it was.
        next[j] = static_cast<float>(channelGain(layout_.channels[j], X, Y, Z, d, azimuth) * weights_[j]);
        // A position that is not a number must not reach the smoothers, which
        // would never recover from it: the previous targets stay.
        if (!std::isfinite(next[j]))
            return;
    }
    for (int j = 0; j < numChannels; ++j)
        gains[j] = next[j];
}

void NelAmbisonicEncoder::computeFilterCoefficients(float sourceDistance, float compensationDistance)
{
    // Zero, negative or non-finite inputs would give filters that explode or
    // never recover: the previous coefficients stay.
    const float fs = sampleRate;
    if (!isPositiveFinite(fs) || !isPositiveFinite(sourceDistance) || !isPositiveFinite(compensationDistance))
        return;
    // A source at the edge is a plane wave, without a near-field term.
    const float ws = sourceDistance == kEdge ? 0.0f : kSpeedOfSound / (sourceDistance * fs);
    const float wc = kSpeedOfSound / (fs * compensationDistance);

    NF_filt1 f1;
    NF_filt2 f2;
    NF_filt3 f3;
    NF_filt4 f4;
    f1.init(ws, wc, 1.0f);
    f2.init(ws, wc, 1.0f);
    f3.init(ws, wc, 1.0f);
    f4.init(ws, wc, 1.0f);
    // Positive inputs can still overflow (a tiny rate or distance).
    const NearFieldCoefs designs[kMaxFilterOrder] = {coefsOf(f1), coefsOf(f2), coefsOf(f3), coefsOf(f4)};
    for (int m = 1; m <= kMaxFilterOrder; ++m)
        if (layout_.filtersOfOrder(m) > 0 && !isFinite(designs[m - 1]))
            return;
    shareCoefficients(nf1, layout_.filtersOfOrder(1), f1);
    shareCoefficients(nf2, layout_.filtersOfOrder(2), f2);
    shareCoefficients(nf3, layout_.filtersOfOrder(3), f3);
    shareCoefficients(nf4, layout_.filtersOfOrder(4), f4);
}

void NelAmbisonicEncoder::publish(bool withReset)
{
    EncoderTargets& now = pending_.now;
    for (int j = 0; j < numChannels; ++j)
        now.gains[j] = gains[j];
    now.stage = nearFieldStage();
    now.filters[0] = coefsOf(nf1[0]);
    now.filters[1] = coefsOf(nf2[0]);
    now.filters[2] = coefsOf(nf3[0]);
    now.filters[3] = coefsOf(nf4[0]);
    if (withReset) {
        pending_.atReset = now;
        ++pending_.resets;
    }
    // The slot to fill holds what this thread wrote into it before; the
    // targets at the newest reset change only with a reset.
    EncoderUpdate& slot = handover_.back();
    slot.now = now;
    if (slot.resets != pending_.resets) {
        slot.atReset = pending_.atReset;
        slot.resets = pending_.resets;
    }
    handover_.publish();
}
