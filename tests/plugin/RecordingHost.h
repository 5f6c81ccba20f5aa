// A host callback that records every request and answers as a test tells it.
// The callback has no user data, so one RecordingHost is active at a time.
#pragma once

#include <functional>
#include <vector>

#include "plugin/AEffect.h"

struct HostRequest {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost {
public:
    static constexpr VstIntPtr kVersion = 2400;

    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);

    // Answers 2400 to the version request and 0 to everything else unless set.
    std::function<VstIntPtr(const HostRequest&)> answer;
    std::vector<HostRequest> requests;

    // The probe's reports, as (event, argument) pairs, in order.
    std::vector<std::pair<VstInt32, VstIntPtr>> events() const;
    std::vector<VstInt32> eventCodes() const;
    void clear() { requests.clear(); }
};
