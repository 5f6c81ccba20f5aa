#pragma once

#include <string>
#include <vector>

struct MYSOFA_EASY;

// A set of head-related impulse responses from a SOFA file, read through
// libmysofa, which also resamples them to the rate asked for and normalises
// their loudness. Directions between the measured ones are interpolated.
class SofaSet {
public:
    struct Pair {
        std::vector<float> left;
        std::vector<float> right;
    };

    // The set the build found: libmysofa's default SOFA file.
    static std::string defaultPath();

    // Throws HostError when the file cannot be read as SOFA or cannot be
    // resampled to `sampleRate`.
    SofaSet(const std::string& path, int sampleRate);
    ~SofaSet();
    SofaSet(const SofaSet&) = delete;
    SofaSet& operator=(const SofaSet&) = delete;

    const std::string& path() const { return file; }

    // The responses for a source at ear height, `azimuthDegrees`
    // anticlockwise from the front (90: left), with the set's onset delays
    // written into them. Throws HostError when the set has no measurement
    // near that direction or gives no usable response there.
    Pair atEarHeight(double azimuthDegrees) const;

private:
    void checkMeasuredNear(const float direction[3], double azimuthDegrees) const;

    std::string file;
    int rate;
    int taps = 0;
    MYSOFA_EASY* easy = nullptr;
};
