// A small effect of the tests' own: it keeps every base behaviour it can and
// reports the operations the host's requests reach (see ProbeProtocol.h).
#pragma once

#include "plugin/AudioEffectX.h"
#include "tests/plugin/ProbeProtocol.h"

class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback hostCallback);
    ~ProbeEffect() override;

    void open() override;
    void close() override;
    void suspend() override;
    void resume() override;
    // Output channel c carries the input times c + 1.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    VstIntPtr vendorSpecific(VstInt32 command, VstIntPtr argument, void* ptr, float opt) override;

    void report(VstInt32 event, VstIntPtr argument = 0);

private:
    void setFlagThroughSetter(VstInt32 setter, bool state);

    float parameters[probe::kNumParams] = {};
};
