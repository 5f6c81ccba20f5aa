#include "tools/pluginhost/Renderer.h"

#include <algorithm>

Renderer::Renderer(PluginHost& pluginHost, float rate, int frames)
    : host(pluginHost), sampleRate(rate), blockSize(frames)
{
    const AEffect& effect = host.record();
    // At least one buffer each way, so that a plug-in that reads an input or
    // writes an output it did not announce still finds memory there.
    inputs.assign(static_cast<size_t>(std::max(1, effect.numInputs)), std::vector<float>(blockSize, 0.0f));
    outputs.assign(static_cast<size_t>(std::max(1, effect.numOutputs)), std::vector<float>(blockSize, 0.0f));
    for (auto& buffer : inputs)
        inputPointers.push_back(buffer.data());
    for (auto& buffer : outputs)
        outputPointers.push_back(buffer.data());
}

long long Renderer::render(const Source& source, const Automation& automation, const Sink& sink,
                           const Progress& progress)
{
    const auto& events = automation.events();
    size_t nextEvent = 0;
    auto applyUntil = [&](double seconds) {
        for (; nextEvent < events.size() && events[nextEvent].seconds <= seconds; ++nextEvent)
            host.setParameter(events[nextEvent].index, events[nextEvent].normalised);
    };
    // The starting position is set before the host starts (which resumes the
    // plug-in), so that the first block begins there instead of gliding to
    // it. Each change is made once: a second pass over the same changes
    // could move the source again, since each coordinate is clamped against
    // the others.
    applyUntil(0.0);
    host.start(sampleRate, blockSize);
    long long done = 0;
    for (;;) {
        const int frames = source(inputs[0].data(), blockSize);
        if (frames <= 0)
            break;
        applyUntil(static_cast<double>(done) / sampleRate);
        host.process(inputPointers.data(), outputPointers.data(), frames);
        sink(outputPointers.data(), frames);
        done += frames;
        if (progress)
            progress(done);
    }
    return done;
}
