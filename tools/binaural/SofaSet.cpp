#include "tools/binaural/SofaSet.h"

#include "dsp/Angles.h"
#include "tools/HostError.h"

#include <mysofa.h>

#include <cmath>
#include <cstdio>

namespace {

// How far the nearest measurement may lie from a direction asked for: sets
// measured at ear height have one every few degrees, and a set whose nearest
// is further off has none there to interpolate from.
constexpr double kLargestGapDegrees = 15.0;

std::string degrees(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

std::string reasonFor(int error)
{
    switch (error) {
    case MYSOFA_READ_ERROR: return "cannot be read";
    case MYSOFA_NO_MEMORY: return "is too large to load";
    case MYSOFA_INVALID_FORMAT:
    case MYSOFA_UNSUPPORTED_FORMAT: return "is not a SOFA file libmysofa reads";
    default:
        return "is not a set of head-related responses libmysofa takes (error " + std::to_string(error) + ")";
    }
}

// mysofa_open reports a rate it cannot resample to as a bad format; loading
// the file alone tells the two apart.
bool loadsAtItsOwnRate(const std::string& path, float& ownRate)
{
    int error = 0;
    MYSOFA_HRTF* hrtf = mysofa_load(path.c_str(), &error);
    if (hrtf == nullptr)
        return false;
    const bool valid = mysofa_check(hrtf) == MYSOFA_OK && hrtf->DataSamplingRate.elements >= 1;
    if (valid)
        ownRate = hrtf->DataSamplingRate.values[0];
    mysofa_free(hrtf);
    return valid;
}

// Writes `response` into `into` after `delay` samples of silence.
void placeAfter(const std::vector<float>& response, int delay, std::vector<float>& into)
{
    into.assign(static_cast<size_t>(delay), 0.0f);
    into.insert(into.end(), response.begin(), response.end());
}

bool usable(const std::vector<float>& response)
{
    double energy = 0.0;
    for (float v : response)
        energy += static_cast<double>(v) * v;
    return std::isfinite(energy) && energy > 0.0;
}

} // namespace

std::string SofaSet::defaultPath()
{
    return VELMORA_DEFAULT_SOFA;
}

SofaSet::SofaSet(const std::string& path, int sampleRate) : file(path), rate(sampleRate)
{
    int error = 0;
    easy = mysofa_open(path.c_str(), static_cast<float>(sampleRate), &taps, &error);
    if (easy != nullptr && taps > 0)
        return;
    if (easy != nullptr)
        mysofa_close(easy);
    float ownRate = 0.0f;
    if (error == MYSOFA_INVALID_FORMAT && loadsAtItsOwnRate(path, ownRate))
        throw HostError(path + ": its responses (at " + degrees(ownRate) + " Hz) cannot be resampled to " +
                        std::to_string(sampleRate) + " Hz");
    throw HostError(path + " " + reasonFor(error));
}

SofaSet::~SofaSet()
{
    mysofa_close(easy);
}

SofaSet::Pair SofaSet::atEarHeight(double azimuthDegrees) const
{
    const double azimuth = azimuthDegrees * kPi / 180.0;
    // SOFA's axes: x to the front, y to the left, z up.
    const float direction[3] = {static_cast<float>(std::cos(azimuth)), static_cast<float>(std::sin(azimuth)),
                                0.0f};
    checkMeasuredNear(direction, azimuthDegrees);
    std::vector<float> left(static_cast<size_t>(taps)), right(static_cast<size_t>(taps));
    float leftDelay = 0.0f, rightDelay = 0.0f;
    mysofa_getfilter_float(easy, direction[0], direction[1], direction[2], left.data(), right.data(),
                           &leftDelay, &rightDelay);
    if (!usable(left) || !usable(right) || !(leftDelay >= 0.0f && leftDelay < 1.0f) ||
        !(rightDelay >= 0.0f && rightDelay < 1.0f))
        throw HostError(file + " gives no usable response for azimuth " + degrees(azimuthDegrees) +
                        " degrees at ear height");
    Pair pair;
    placeAfter(left, static_cast<int>(std::lround(leftDelay * rate)), pair.left);
    placeAfter(right, static_cast<int>(std::lround(rightDelay * rate)), pair.right);
    return pair;
}

void SofaSet::checkMeasuredNear(const float direction[3], double azimuthDegrees) const
{
    float probe[3] = {direction[0], direction[1], direction[2]};
    const int nearest = mysofa_lookup(easy->lookup, probe);
    if (nearest < 0)
        throw HostError(file + " has no measurement near azimuth " + degrees(azimuthDegrees) +
                        " degrees at ear height");
    const float* p = easy->hrtf->SourcePosition.values + 3 * nearest;
    const double length = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
    const double cosine =
        length > 0.0 ? (direction[0] * p[0] + direction[1] * p[1] + direction[2] * p[2]) / length : -1.0;
    const double gap = std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * 180.0 / kPi;
    if (gap > kLargestGapDegrees)
        throw HostError(file + " has no responses near ear height: the nearest to azimuth " +
                        degrees(azimuthDegrees) + " degrees is " + degrees(gap) + " degrees away");
}
