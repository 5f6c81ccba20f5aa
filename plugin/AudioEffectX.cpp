#include "plugin/AudioEffectX.h"

#include <cstring>

#include "plugin/AEffEditor.h"

namespace {

constexpr VstInt32 kCanDoYes = 1;
constexpr VstInt32 kWantAllEvents = 1;

// Opcodes whose operation needs the text or structure at ptr; see the
// matching list of AudioEffect::dispatcher.
bool needsBuffer(VstInt32 opcode)
{
    switch (opcode) {
    case effString2Parameter:
    case effGetProgramNameIndexed:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
    case effCanDo:
    case effGetParameterProperties:
    case effShellGetNextPlugin: return true;
    default: return false;
    }
}

// Opcodes of 25..79 that this level leaves to AudioEffect::dispatcher, which
// answers 0 for them.
bool isBaseOpcode(VstInt32 opcode)
{
    switch (opcode) {
    case effGetNumProgramCategories:
    case effCopyProgram:
    case effConnectInput:
    case effConnectOutput:
    case effGetCurrentPosition:
    case effGetDestinationBuffer:
    case effSetBlockSizeAndSampleRate:
    case effGetErrorText:
    case effIdle:
    case effGetIcon:
    case effSetViewPosition:
    case effKeysRequired: return true;
    default: return opcode < effProcessEvents || opcode > effGetNumMidiOutputChannels;
    }
}

// Truncation toward zero; a value no 32-bit integer can hold gives 0.
VstInt32 truncateToInt(float value)
{
    constexpr float kIntRange = 2147483648.0f;
    if (!(value > -kIntRange && value < kIntRange))
        return 0;
    return static_cast<VstInt32>(value);
}

VstKeyCode makeKeyCode(VstInt32 index, VstIntPtr value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    key.modifier = static_cast<unsigned char>(truncateToInt(opt) & 0xFF);
    return key;
}

VstIntPtr answer(bool result)
{
    return result ? 1 : 0;
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback hostCallback, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffect(hostCallback, numPrograms, numParams)
{
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (isBaseOpcode(opcode))
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    if (!ptr && needsBuffer(opcode))
        return 0;
    char* text = static_cast<char*>(ptr);
    const VstInt32 value32 = static_cast<VstInt32>(value);
    switch (opcode) {
    case effProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated: return answer(canParameterBeAutomated(index));
    case effString2Parameter: return answer(string2parameter(index, text));
    case effGetProgramNameIndexed: return answer(getProgramNameIndexed(value32, index, text));
    case effGetInputProperties: return answer(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetOutputProperties:
        return answer(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetPlugCategory: return getPlugCategory();
    case effOfflineNotify: return answer(offlineNotify(static_cast<VstAudioFile*>(ptr), value32, index != 0));
    case effOfflinePrepare: return answer(offlinePrepare(static_cast<VstOfflineTask*>(ptr), value32));
    case effOfflineRun: return answer(offlineRun(static_cast<VstOfflineTask*>(ptr), value32));
    case effProcessVarIo: return answer(processVariableIo(static_cast<VstVariableIo*>(ptr)));
    case effSetSpeakerArrangement:
        return answer(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                            static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass: return answer(setBypass(value != 0));
    case effGetEffectName: return answer(getEffectName(text));
    case effGetVendorString: return answer(getVendorString(text));
    case effGetProductString: return answer(getProductString(text));
    case effGetVendorVersion: return getVendorVersion();
    case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
    case effCanDo: return canDo(text);
    case effGetTailSize: return getGetTailSize();
    case effGetParameterProperties:
        return answer(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
    case effGetVstVersion: return getVstVersion();
    case effEditKeyDown:
        if (editor) {
            VstKeyCode key = makeKeyCode(index, value, opt);
            return answer(editor->onKeyDown(key));
        }
        return 0;
    case effEditKeyUp:
        if (editor) {
            VstKeyCode key = makeKeyCode(index, value, opt);
            return answer(editor->onKeyUp(key));
        }
        return 0;
    case effSetEditKnobMode: return editor ? answer(editor->setKnobMode(value32)) : 0;
    case effGetMidiProgramName: return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram: return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged: return answer(hasMidiProgramsChanged(index));
    case effGetMidiKeyName: return answer(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case effBeginSetProgram: return answer(beginSetProgram());
    case effEndSetProgram: return answer(endSetProgram());
    case effGetSpeakerArrangement:
        return answer(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                            static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin: return getNextShellPlugin(text);
    case effStartProcess: return startProcess();
    case effStopProcess: return stopProcess();
    case effSetTotalSampleToProcess: return setTotalSampleToProcess(value32);
    case effSetPanLaw: return answer(setPanLaw(value32, opt));
    case effBeginLoadBank: return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram: return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision: return answer(setProcessPrecision(value32));
    case effGetNumMidiInputChannels: return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels: return getNumMidiOutputChannels();
    default: return 0;
    }
}

void AudioEffectX::resume()
{
    // canDo takes a writable text: an override gets a copy, never the constant.
    char receiveMidi[sizeof(CanDoText::receiveVstMidiEvent)];
    std::memcpy(receiveMidi, CanDoText::receiveVstMidiEvent, sizeof(receiveMidi));
    if ((effectRecord.flags & effFlagsIsSynth) != 0 || canDo(receiveMidi) == kCanDoYes)
        __wantEventsDeprecated(kWantAllEvents);
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::ioChanged()
{
    return callHost(audioMasterIOChanged) != 0;
}

float AudioEffectX::updateSampleRate()
{
    const VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize()
{
    const VstIntPtr size = callHost(audioMasterGetBlockSize);
    if (size > 0)
        blockSize = static_cast<VstInt32>(size);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency()
{
    return static_cast<VstInt32>(callHost(audioMasterGetInputLatency));
}

VstInt32 AudioEffectX::getOutputLatency()
{
    return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency));
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput)
{
    if (pluginInput)
        *pluginInput = nullptr;
    if (pluginOutput)
        *pluginOutput = nullptr;
    return false;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::getAutomationState()
{
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events)
{
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

bool AudioEffectX::getHostVendorString(char* text)
{
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text)
{
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptr, float opt)
{
    return callHost(audioMasterVendorSpecific, arg1, arg2, ptr, opt);
}

bool AudioEffectX::canHostDo(char* text)
{
    return callHost(audioMasterCanDo, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostLanguage()
{
    return static_cast<VstInt32>(callHost(audioMasterGetLanguage));
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return (effectRecord.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* select)
{
    return select && callHost(audioMasterOpenFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* select)
{
    return select && callHost(audioMasterCloseFileSelector, 0, 0, select) != 0;
}

// An arrangement is allocated as one block of bytes, large enough for its
// channels and never smaller than the declared structure, so that every field
// a reader of the structure may touch is owned memory.
bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource)
{
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstOfflineOption option)
{
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles)
{
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, ptr) != 0;
}

bool AudioEffectX::offlineGetCurrentPass()
{
    return callHost(audioMasterOfflineGetCurrentPass) != 0;
}

bool AudioEffectX::offlineGetCurrentMetaPass()
{
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0;
}

void AudioEffectX::__wantEventsDeprecated(VstInt32 filter)
{
    callHost(audioMasterWantMidi, 0, filter);
}

VstInt32 AudioEffectX::__tempoAtDeprecated(VstInt32 pos)
{
    return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, pos));
}

VstInt32 AudioEffectX::__getNumAutomatableParametersDeprecated()
{
    return static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters));
}

VstInt32 AudioEffectX::__getParameterQuantizationDeprecated()
{
    return static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization));
}

bool AudioEffectX::__needIdleDeprecated()
{
    return callHost(audioMasterNeedIdle) != 0;
}

AEffect* AudioEffectX::__getPreviousPlugDeprecated(VstInt32)
{
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::__getNextPlugDeprecated(VstInt32)
{
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

VstInt32 AudioEffectX::__willProcessReplacingDeprecated()
{
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::__setOutputSamplerateDeprecated(float samplerate)
{
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

VstSpeakerArrangement* AudioEffectX::__getInputSpeakerArrangementDeprecated()
{
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::__getOutputSpeakerArrangementDeprecated()
{
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
}

void* AudioEffectX::__openWindowDeprecated(void* window)
{
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::__closeWindowDeprecated(void* window)
{
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

bool AudioEffectX::__getChunkFileDeprecated(void* nativePath)
{
    return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
