#pragma once

#include <mutex>

#include "dsp/NelAmbisonicEncoder.h"
#include "effect/NelAmbiEncProgram.h"
#include "plugin/AudioEffectX.h"

// The encoder effect as the host sees it: one mono input encoded into
// horizontal third-order B-format (W X Y U V P Q), seven automatable
// parameters that are two views of one source position, and a bank of 16
// programs.
class NelAmbiEnc : public AudioEffectX {
public:
    static constexpr int kNumPrograms = 16;

    explicit NelAmbiEnc(audioMasterCallback hostCallback);
    ~NelAmbiEnc() override;

    void resume() override;
    // Rates that are zero, negative or not finite are ignored.
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // NaN, infinite or absurdly large values are ignored: a bad target would
    // otherwise stay in the gain smoothers and silence the output for good.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;

    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Older hosts' accumulating entry: overwrites its outputs just like
    // processReplacing.
    void process(float** inputs, float** outputs, VstInt32 sampleFrames);
    void __processDeprecated(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 getPlugCategory() override;

protected:
    NelAmbiEncProgram* programs;
    NelAmbisonicEncoder encoder;

    // Hosts set parameters from more than one thread (automation, the
    // editor, a generic parameter window), while the program bank, the
    // encoder's field writes and its update operations belong to one writer
    // at a time. This lock serialises that control side (a program recall
    // holds it across its whole replay, which re-enters setParameter); the
    // audio thread never takes it.
    mutable std::recursive_mutex controlLock;

private:
    float encoderValue(int index) const;
    void setEncoderValue(int index, float value);
    void formatMetres(float metres, char* text);
};
