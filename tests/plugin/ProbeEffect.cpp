#include "tests/plugin/ProbeEffect.h"

#include <new>
#include <stdexcept>

#include "tests/plugin/ProbeEditor.h"

ProbeEffect::ProbeEffect(audioMasterCallback hostCallback)
    : AudioEffectX(hostCallback, probe::kNumPrograms, probe::kNumParams)
{
    if (hostVendorSpecific(probe::kAskFailConstruction, 0, nullptr, 0.0f) == 1)
        throw std::bad_alloc();
    new ProbeEditor(this, hostCallback);
}

ProbeEffect::~ProbeEffect()
{
    report(probe::kEffectDestroyed);
}

void ProbeEffect::open()
{
    report(probe::kOpened);
}

void ProbeEffect::close()
{
    report(probe::kClosed);
}

void ProbeEffect::suspend()
{
    report(probe::kSuspended);
}

void ProbeEffect::resume()
{
    AudioEffectX::resume();
    report(probe::kResumed);
}

void ProbeEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    for (VstInt32 channel = 0; channel < effectRecord.numOutputs; ++channel)
        for (VstInt32 i = 0; i < sampleFrames; ++i)
            outputs[channel][i] = inputs[0][i] * static_cast<float>(channel + 1);
}

void ProbeEffect::setParameter(VstInt32 index, float value)
{
    if (index >= 0 && index < probe::kNumParams)
        parameters[index] = value;
}

float ProbeEffect::getParameter(VstInt32 index)
{
    return index >= 0 && index < probe::kNumParams ? parameters[index] : 0.0f;
}

VstIntPtr ProbeEffect::vendorSpecific(VstInt32 command, VstIntPtr argument, void*, float opt)
{
    switch (command) {
    case probe::kSetFlag: setFlagThroughSetter(static_cast<VstInt32>(argument), opt != 0.0f); return 1;
    case probe::kDropEditor:
        delete editor;
        setEditor(nullptr);
        return 1;
    case probe::kThrow: throw std::runtime_error("probe failure");
    default: return 0;
    }
}

void ProbeEffect::report(VstInt32 event, VstIntPtr argument)
{
    hostVendorSpecific(event, argument, nullptr, 0.0f);
}

void ProbeEffect::setFlagThroughSetter(VstInt32 setter, bool state)
{
    switch (setter) {
    case probe::kHasClip: __hasClipDeprecated(state); break;
    case probe::kHasVu: __hasVuDeprecated(state); break;
    case probe::kCanMono: __canMonoDeprecated(state); break;
    case probe::kCanReplacing: canProcessReplacing(state); break;
    case probe::kProgramChunks: programsAreChunks(state); break;
    case probe::kIsSynth: isSynth(state); break;
    case probe::kNoTail: noTail(state); break;
    case probe::kAsync: __wantAsyncOperationDeprecated(state); break;
    case probe::kExternalBuffer: __hasExternalBufferDeprecated(state); break;
    case probe::kCanDoubleReplacing: canDoubleReplacing(state); break;
    default: break;
    }
}

AudioEffect* createEffectInstance(audioMasterCallback hostCallback)
{
    return new ProbeEffect(hostCallback);
}
