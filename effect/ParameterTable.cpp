#include "effect/ParameterTable.h"
#include "dsp/Angles.h"
#include "dsp/NelAmbisonicEncoder.h"

#include <cctype>
#include <cmath>
#include <string>

namespace {

constexpr double kHalfTurnDegrees = 180.0;

// Beyond a million times the nominal range a host value is garbage: the
// third-order gains of a source that far out no longer fit a float.
constexpr float kLargestAcceptedValue = 1.0e6f;

// The value text is at most eight characters: "99999999" or "-9999999".
constexpr int kLargestDegrees = 99999999;
constexpr int kSmallestDegrees = -9999999;

// The angle mappings are computed in double precision and rounded once;
// the lengths in single precision. Saved sessions hold normalised values, so
// every one of these must round exactly as it always has.
float azimuthFromNormalised(float v)
{
    return static_cast<float>(v * kTwoPi);
}
float azimuthToNormalised(float radians)
{
    return static_cast<float>(radians / kTwoPi);
}
float elevationFromNormalised(float v)
{
    return static_cast<float>(v * kPi - kHalfPi);
}
float elevationToNormalised(float radians)
{
    return static_cast<float>((radians + kHalfPi) / kPi);
}
float coordinateFromNormalised(float v)
{
    return v * 8.0f - 4.0f;
}
float coordinateToNormalised(float metres)
{
    return (metres + 4.0f) * 0.125f;
}
float distanceFromNormalised(float v)
{
    return v * -4.0f + 4.0f;
}
float distanceToNormalised(float metres)
{
    return (metres - 4.0f) * -0.25f;
}
float compensationFromNormalised(float v)
{
    return v * 3.5f + 0.5f;
}
float compensationToNormalised(float metres)
{
    return (metres - 0.5f) / 3.5f;
}

using E = NelAmbisonicEncoder;

// A new program: the source straight ahead at the 4 m edge (azimuth 0,
// elevation 0, x 4 m, y 0, z 0), far, compensation off.
const ParameterInfo kParameters[ParameterTable::kCount] = {
    {"Azimuth", "degrees", "azimuth", ValueText::Degrees, 0.0, 360.0, 0.0f, azimuthFromNormalised,
     azimuthToNormalised, &E::azimuth, ParameterUpdate::Polar},
    {"Elevation", "degrees", "elevation", ValueText::Degrees, -90.0, 90.0, 0.5f, elevationFromNormalised,
     elevationToNormalised, &E::elevation, ParameterUpdate::Polar},
    {" x ", "m", "x", ValueText::Metres, -4.0, 4.0, 1.0f, coordinateFromNormalised, coordinateToNormalised,
     &E::x, ParameterUpdate::Rectangular},
    {" y ", "m", "y", ValueText::Metres, -4.0, 4.0, 0.5f, coordinateFromNormalised, coordinateToNormalised,
     &E::y, ParameterUpdate::Rectangular},
    {" z ", "m", "z", ValueText::Metres, -4.0, 4.0, 0.5f, coordinateFromNormalised, coordinateToNormalised,
     &E::z, ParameterUpdate::Rectangular},
    // Runs backwards: a larger value brings the source closer.
    {"Distance", "m", "distance", ValueText::MetresOrOff, 4.0, 0.0, 0.0f, distanceFromNormalised,
     distanceToNormalised, &E::distance, ParameterUpdate::SourceDistance},
    {"Compensation Distance", "m", "compensation", ValueText::MetresOrOff, 0.5, 4.0, 1.0f,
     compensationFromNormalised, compensationToNormalised, &E::compDistance, ParameterUpdate::Compensation},
};

// Lower case with the blanks around and between words reduced to one.
std::string canonical(const char* text)
{
    std::string out;
    bool pendingBlank = false;
    for (; *text != '\0'; ++text) {
        if (*text == ' ') {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank)
            out += ' ';
        pendingBlank = false;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
    }
    return out;
}

} // namespace

const ParameterInfo& ParameterTable::info(int index)
{
    return kParameters[index];
}

bool ParameterTable::acceptsValue(float normalised)
{
    return std::isfinite(normalised) && std::fabs(normalised) <= kLargestAcceptedValue;
}

float ParameterTable::toEncoder(int index, float v)
{
    return isValidIndex(index) ? info(index).toEncoder(v) : 0.0f;
}

float ParameterTable::toNormalised(int index, float value)
{
    return isValidIndex(index) ? info(index).toNormalised(value) : 0.0f;
}

double ParameterTable::userFromNormalised(int index, float normalised)
{
    const ParameterInfo& p = info(index);
    return p.userAtZero + normalised * (p.userAtOne - p.userAtZero);
}

float ParameterTable::normalisedFromUser(int index, double userValue)
{
    const ParameterInfo& p = info(index);
    return static_cast<float>((userValue - p.userAtZero) / (p.userAtOne - p.userAtZero));
}

double ParameterTable::userMinimum(int index)
{
    return std::fmin(info(index).userAtZero, info(index).userAtOne);
}

double ParameterTable::userMaximum(int index)
{
    return std::fmax(info(index).userAtZero, info(index).userAtOne);
}

int ParameterTable::roundedDegrees(float radians)
{
    // Multiplied first, then divided: the order in which the texts have
    // always been rounded.
    const float degrees = static_cast<float>(radians * kHalfTurnDegrees / kPi);
    const float rounded = degrees >= 0.0f ? degrees + 0.5f : degrees - 0.5f;
    if (std::isnan(rounded))
        return 0;
    if (rounded >= static_cast<double>(kLargestDegrees))
        return kLargestDegrees;
    if (rounded <= static_cast<double>(kSmallestDegrees))
        return kSmallestDegrees;
    return static_cast<int>(rounded);
}

int ParameterTable::findByKeyOrName(const char* text)
{
    const std::string wanted = canonical(text);
    for (int i = 0; i < kCount; ++i)
        if (wanted == kParameters[i].key || wanted == canonical(kParameters[i].name))
            return i;
    return -1;
}
