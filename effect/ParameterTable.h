#pragma once

// The seven parameters of the encoder effect, each declared once in one row:
// the texts a host shows, the name a person types, the mapping between the
// host's normalised value and the encoder's quantity, the value of a new
// program, the encoder field behind it and how the encoder catches up after
// the field changed. The effect, its programs, the editor and the
// command-line host all read these rows, so they cannot disagree.

class NelAmbisonicEncoder;

enum ParameterIndex {
    kAzimuth = 0,
    kElevation,
    kX,
    kY,
    kZ,
    kDistance,
    kCompensationDistance,
    kNumParameters
};

// How a parameter's value text is made from its encoder quantity.
enum class ValueText {
    Degrees, // rounded whole degrees
    Metres, // two decimals, cut rather than rounded
    MetresOrOff // as Metres, but "off" at the 4 m sentinel
};

// What the encoder must recompute after a parameter's field was written.
enum class ParameterUpdate {
    Polar, // the rectangular view from azimuth, elevation and distance
    Rectangular, // the polar view from x, y, z (with the 4 m clamp)
    SourceDistance, // the filters' distance, their coefficients, then as Polar
    Compensation // the filter coefficients, then as Polar
};

struct ParameterInfo {
    const char* name; // the host's parameter name
    const char* label; // the unit label next to the value text
    const char* key; // the short name people type on a command line
    ValueText text;
    double userAtZero; // the value in user units (degrees or metres) at normalised 0
    double userAtOne; // ... and at normalised 1; the mapping is linear in between
    float initialValue; // normalised, in every new program
    float (*toEncoder)(float normalised); // normalised value -> encoder quantity
    float (*toNormalised)(float encoderValue); // and back
    float NelAmbisonicEncoder::*field; // the encoder's quantity
    ParameterUpdate update;
};

class ParameterTable {
public:
    static constexpr int kCount = kNumParameters;
    // Distance and compensation distance at exactly this value mean "far source"
    // and "compensation off".
    static constexpr float kOffSentinel = 4.0f;
    // Longest value text, without its terminator.
    static constexpr int kMaxValueTextLength = 8;

    static bool isValidIndex(int index) { return index >= 0 && index < kCount; }
    static const ParameterInfo& info(int index);

    // A host value worth acting on: finite and not absurdly far outside 0..1
    // (further out, the mapped quantities overflow the encoder's arithmetic).
    static bool acceptsValue(float normalised);

    // Normalised value -> encoder quantity (radians or metres), and back.
    static float toEncoder(int index, float normalised);
    static float toNormalised(int index, float encoderValue);

    // User units (degrees or metres) <-> normalised value.
    static double userFromNormalised(int index, float normalised);
    static float normalisedFromUser(int index, double userValue);
    static double userMinimum(int index);
    static double userMaximum(int index);

    // Whole degrees as the value text shows them, saturated so that any angle
    // fits the display.
    static int roundedDegrees(float radians);

    // Index of the parameter a person means by `text`: its key or its name,
    // case and surrounding blanks ignored. -1 when nothing matches.
    static int findByKeyOrName(const char* text);
};
