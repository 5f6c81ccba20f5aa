#pragma once

#include <lv2/core/lv2.h>

#include <cstdint>
#include <string>
#include <vector>

// The LV2 DSP object as a host loads it: dlopen, lv2_descriptor, then one
// instance per plug-in driven only through its descriptor.
class Lv2Instance {
public:
    static constexpr uint32_t kControlPorts = 7; // azimuth .. pos_z
    static constexpr uint32_t kInputPort = 7;
    static constexpr uint32_t kFirstOutput = 8;
    static constexpr double kRate = 48000.0;

    // The descriptor of `uri` in the built object; null when absent.
    static const LV2_Descriptor* descriptor(const char* uri);
    // What instantiate answers (the instance is cleaned up again).
    static bool instantiates(const char* uri, double rate, const char* bundlePath);

    // Instantiated at kRate, every control port connected to `control` (with
    // the Turtle's defaults), activated.
    Lv2Instance(const char* uri, int numOutputs);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    float control[kControlPorts] = {0.0f, 0.0f, 4.0f, 4.0f, 0.0f, 0.0f, 0.0f};

    void connect(uint32_t port, void* data) { descriptor_->connect_port(handle_, port, data); }
    void activate() { descriptor_->activate(handle_); }
    // Connects the audio ports to these buffers and runs `frames`.
    void run(const float* input, const std::vector<float*>& outputs, uint32_t frames);

    // Renders `input` in runs of the given lengths (repeated as needed);
    // returns each output. Every output buffer is filled with NaN before each
    // run, as a host's buffers may hold anything.
    std::vector<std::vector<float>> render(const std::vector<float>& input, const std::vector<uint32_t>& runLengths);

    int numOutputs() const { return numOutputs_; }

private:
    const LV2_Descriptor* descriptor_ = nullptr;
    LV2_Handle handle_ = nullptr;
    int numOutputs_;
};

// A test signal: a sine sweep over noise, the same every time.
std::vector<float> testSignal(std::size_t frames);
