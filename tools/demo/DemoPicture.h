#pragma once

#include <string>
#include <vector>

// A PNG of what the demonstration did: on the left the source's path seen
// from above, on the right, over time, the level each loudspeaker of a
// regular ring of eight would receive from a basic third-order horizontal
// decode of the rendered B-format (W X Y U V P Q).
class DemoPicture {
public:
    static constexpr int kSpeakers = 8;

    // Level in dB (0 at the loudest) of each speaker (outer index) at
    // `columns` evenly spaced moments, each the mean power over `window`
    // frames around it.
    static std::vector<std::vector<double>> speakerLevels(const std::vector<std::vector<float>>& bFormat,
                                                          int columns, size_t window);

    // Draws the picture into `path`; throws HostError when it cannot be written.
    static void write(const std::string& path, const std::vector<std::vector<float>>& bFormat);
};
