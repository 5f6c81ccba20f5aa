#include "effect/ParameterTable.h"
#include "dsp/Angles.h"

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

const ParameterInfo kParameters[ParameterTable::kCount] = {
    {"Azimuth", "degrees", "azimuth", ValueText::Degrees, 0.0, 360.0},
    {"Elevation", "degrees", "elevation", ValueText::Degrees, -90.0, 90.0},
    {" x ", "m", "x", ValueText::Metres, -4.0, 4.0},
    {" y ", "m", "y", ValueText::Metres, -4.0, 4.0},
    {" z ", "m", "z", ValueText::Metres, -4.0, 4.0},
    // Runs backwards: a larger value brings the source closer.
    {"Distance", "m", "distance", ValueText::MetresOrOff, 4.0, 0.0},
    {"Compensation Distance", "m", "compensation", ValueText::MetresOrOff, 0.5, 4.0},
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
    switch (index) {
    case kAzimuth: return static_cast<float>(v * kTwoPi);
    case kElevation: return static_cast<float>(v * kPi - kHalfPi);
    case kX:
    case kY:
    case kZ: return v * 8.0f - 4.0f;
    case kDistance: return v * -4.0f + 4.0f;
    case kCompensationDistance: return v * 3.5f + 0.5f;
    default: return 0.0f;
    }
}

float ParameterTable::toNormalised(int index, float value)
{
    switch (index) {
    case kAzimuth: return static_cast<float>(value / kTwoPi);
    case kElevation: return static_cast<float>((value + kHalfPi) / kPi);
    case kX:
    case kY:
    case kZ: return (value + 4.0f) * 0.125f;
    case kDistance: return (value - 4.0f) * -0.25f;
    case kCompensationDistance: return (value - 0.5f) / 3.5f;
    default: return 0.0f;
    }
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
