#pragma once

#include "tools/pluginhost/Automation.h"

#include <vector>

// The demonstration: a synthesised mono source that circles the listener
// once at 3 m and then passes close by on the left, with near-field
// compensation on for a 2 m loudspeaker ring.
class DemoScene {
public:
    static constexpr int kSampleRate = 48000;
    static constexpr double kCircleSeconds = 8.0;
    static constexpr double kPassSeconds = 4.0;
    static constexpr double kCompensationMetres = 2.0;
    // How often the position is sent to the plug-in; its smoothers glide between.
    static constexpr double kAutomationStepSeconds = 0.005;

    struct Position {
        double x; // metres, to the front
        double y; // metres, to the left
    };

    static double durationSeconds() { return kCircleSeconds + kPassSeconds; }
    static Position positionAt(double seconds);

    // Plucked tones with a short noise attack, four a second.
    static std::vector<float> sourceSignal();
    // The path as x and y parameter changes, in the encoder's normalised values.
    static Automation pathAutomation();
};
