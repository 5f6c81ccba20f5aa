#include "plugin/AudioEffect.h"

#include <cmath>
#include <cstring>

#include "plugin/AEffEditor.h"
#include "plugin/ValueText.h"

namespace {

constexpr float kDefaultSampleRate = 44100.0f;
constexpr VstInt32 kDefaultBlockSize = 1024;
constexpr VstInt32 kDefaultNumInputs = 1;
constexpr VstInt32 kDefaultNumOutputs = 2;
constexpr VstInt32 kDefaultUniqueId = vstFourCharCode('N', 'o', 'E', 'f');
constexpr VstInt32 kRecordVersion = 1;
// The answer to the identify request of older hosts.
constexpr VstIntPtr kIdentifyAnswer = vstFourCharCode('N', 'v', 'E', 'f');
constexpr const char* kMinusInfinityText = "-oo";

AudioEffect* effectOf(AEffect* record)
{
    return record ? static_cast<AudioEffect*>(record->object) : nullptr;
}

// Runs one call on the record's effect; an exception stops here.
template <typename Call> void callEffect(AEffect* record, Call call) noexcept
{
    AudioEffect* effect = effectOf(record);
    if (!effect)
        return;
    try {
        call(*effect);
    } catch (...) {
    }
}

// Opcodes whose operation writes to or reads from the buffer or structure at
// ptr: without one there is nothing to do, and calling on would crash.
bool needsBuffer(VstInt32 opcode)
{
    switch (opcode) {
    case effSetProgramName:
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effEditGetRect:
    case effGetChunk:
    case effSetChunk: return true;
    default: return false;
    }
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, VstInt32 numPrograms, VstInt32 numParams)
    : hostCallback(hostCallback), editor(nullptr), sampleRate(kDefaultSampleRate),
      blockSize(kDefaultBlockSize), numPrograms(numPrograms), numParams(numParams), currentProgram(0)
{
    std::memset(&effectRecord, 0, sizeof(effectRecord));
    effectRecord.magic = kEffectMagic;
    effectRecord.dispatcher = dispatchEffectClass;
    effectRecord.process = __processClassDeprecated;
    effectRecord.setParameter = setParameterClass;
    effectRecord.getParameter = getParameterClass;
    effectRecord.numPrograms = numPrograms;
    effectRecord.numParams = numParams;
    effectRecord.numInputs = kDefaultNumInputs;
    effectRecord.numOutputs = kDefaultNumOutputs;
    effectRecord.flags = effFlagsCanReplacing;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = kDefaultUniqueId;
    effectRecord.version = kRecordVersion;
    effectRecord.processReplacing = processClassReplacing;
    effectRecord.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 mask, bool state)
{
    if (state)
        effectRecord.flags |= mask;
    else
        effectRecord.flags &= ~mask;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return hostCallback ? hostCallback(&effectRecord, opcode, index, value, ptr, opt) : 0;
}

// The routines behind the record's entries. An exception must never unwind into
// the host, which has no idea of C++: each one stops it here.

VstIntPtr AudioEffect::dispatchEffectClass(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           void* ptr, float opt) noexcept
{
    AudioEffect* effect = effectOf(record);
    if (!effect)
        return 0;
    VstIntPtr result = 0;
    try {
        result = effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        result = 0;
    }
    if (opcode == effClose) {
        // The record lives inside the object: it ends here too.
        delete effect;
        return 1;
    }
    return result;
}

float AudioEffect::getParameterClass(AEffect* record, VstInt32 index) noexcept
{
    float value = 0.0f;
    callEffect(record, [&](AudioEffect& effect) { value = effect.getParameter(index); });
    return value;
}

void AudioEffect::setParameterClass(AEffect* record, VstInt32 index, float value) noexcept
{
    callEffect(record, [&](AudioEffect& effect) { effect.setParameter(index, value); });
}

void AudioEffect::__processClassDeprecated(AEffect* record, float** inputs, float** outputs,
                                           VstInt32 sampleFrames) noexcept
{
    callEffect(record,
               [&](AudioEffect& effect) { effect.__processDeprecated(inputs, outputs, sampleFrames); });
}

void AudioEffect::processClassReplacing(AEffect* record, float** inputs, float** outputs,
                                        VstInt32 sampleFrames) noexcept
{
    callEffect(record, [&](AudioEffect& effect) { effect.processReplacing(inputs, outputs, sampleFrames); });
}

void AudioEffect::processClassDoubleReplacing(AEffect* record, double** inputs, double** outputs,
                                              VstInt32 sampleFrames) noexcept
{
    callEffect(record,
               [&](AudioEffect& effect) { effect.processDoubleReplacing(inputs, outputs, sampleFrames); });
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (!ptr && needsBuffer(opcode))
        return 0;
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose: close(); return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName: setProgramName(text); return 0;
    case effGetProgramName: getProgramName(text); return 0;
    case effGetParamLabel: getParameterLabel(index, text); return 0;
    case effGetParamDisplay: getParameterDisplay(index, text); return 0;
    case effGetParamName: getParameterName(index, text); return 0;
    case effSetSampleRate: setSampleRate(opt); return 0;
    case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect: return editor && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen: return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify: return kIdentifyAnswer;
    case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        // The deprecated requests of this range, and everything outside it.
        return 0;
    }
}

void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}

void AudioEffect::setParameter(VstInt32, float) {}

float AudioEffect::getParameter(VstInt32)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName(char*) {}

void AudioEffect::getProgramName(char* name)
{
    writeLimitedText(name, "", 0);
}

void AudioEffect::getParameterLabel(VstInt32, char* label)
{
    writeLimitedText(label, "", 0);
}

void AudioEffect::getParameterDisplay(VstInt32, char* text)
{
    writeLimitedText(text, "", 0);
}

void AudioEffect::getParameterName(VstInt32, char* text)
{
    writeLimitedText(text, "", 0);
}

VstInt32 AudioEffect::getChunk(void**, bool)
{
    return 0;
}

VstInt32 AudioEffect::setChunk(void*, VstInt32, bool)
{
    return 0;
}

VstInt32 AudioEffect::getMasterVersion()
{
    if (!hostCallback)
        return 1;
    const VstIntPtr version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 limit)
{
    if (value <= 0.0f) {
        writeLimitedText(text, kMinusInfinityText, limit);
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, limit);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 limit)
{
    if (samples == 0.0f) {
        float2string(0.0f, text, limit);
        return;
    }
    const float rate = getSampleRate();
    float2string(rate / samples, text, limit);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 limit)
{
    const double rate = getSampleRate();
    float2string(static_cast<float>(static_cast<double>(samples) * 1000.0 / rate), text, limit);
}

void AudioEffect::float2string(float value, char* text, VstInt32 limit)
{
    formatFloat(value, text, limit);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 limit)
{
    formatInt(value, text, limit);
}

void AudioEffect::__processDeprecated(float**, float**, VstInt32) {}

void AudioEffect::__setRealtimeQualitiesDeprecated(VstInt32 qualities)
{
    effectRecord.realQualities = qualities;
}

void AudioEffect::__setOfflineQualitiesDeprecated(VstInt32 qualities)
{
    effectRecord.offQualities = qualities;
}

bool AudioEffect::__isInputConnectedDeprecated(VstInt32 input)
{
    // The host answers 0 for a connected pin.
    return !hostCallback || callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::__isOutputConnectedDeprecated(VstInt32 output)
{
    return !hostCallback || callHost(audioMasterPinConnected, output, 1) == 0;
}
