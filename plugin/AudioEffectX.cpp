#include "plugin/AudioEffectX.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "plugin/AEffEditor.h"
#include "plugin/ValueText.h"

namespace {

constexpr VstInt32 kNoCurrentMidiProgram = -1;
constexpr VstInt32 kSpeakerNameLimit = kVstMaxNameLen - 1;
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

// Speakers are addressed from the start of the block: an arrangement may hold
// more of them than the eight the structure declares.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 channel)
{
    char* first = reinterpret_cast<char*>(arrangement) + offsetof(VstSpeakerArrangement, speakers);
    return reinterpret_cast<VstSpeakerProperties*>(first) + channel;
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

bool AudioEffectX::canParameterBeAutomated(VstInt32)
{
    return true;
}

bool AudioEffectX::string2parameter(VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getParameterProperties(VstInt32, VstParameterProperties*)
{
    return false;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*)
{
    return false;
}

bool AudioEffectX::beginSetProgram()
{
    return false;
}

bool AudioEffectX::endSetProgram()
{
    return false;
}

VstInt32 AudioEffectX::beginLoadBank(VstPatchChunkInfo*)
{
    return 0;
}

VstInt32 AudioEffectX::beginLoadProgram(VstPatchChunkInfo*)
{
    return 0;
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

bool AudioEffectX::getInputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*)
{
    return false;
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

bool AudioEffectX::setBypass(bool)
{
    return false;
}

bool AudioEffectX::setPanLaw(VstInt32, float)
{
    return false;
}

bool AudioEffectX::setProcessPrecision(VstInt32)
{
    return false;
}

VstInt32 AudioEffectX::getNumMidiInputChannels()
{
    return 0;
}

VstInt32 AudioEffectX::getNumMidiOutputChannels()
{
    return 0;
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

VstInt32 AudioEffectX::processEvents(VstEvents*)
{
    return 0;
}

VstInt32 AudioEffectX::startProcess()
{
    return 0;
}

VstInt32 AudioEffectX::stopProcess()
{
    return 0;
}

bool AudioEffectX::processVariableIo(VstVariableIo*)
{
    return false;
}

VstInt32 AudioEffectX::setTotalSampleToProcess(VstInt32 value)
{
    return value;
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

VstInt32 AudioEffectX::getGetTailSize()
{
    return 0;
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::getEffectName(char*)
{
    return false;
}

bool AudioEffectX::getVendorString(char*)
{
    return false;
}

bool AudioEffectX::getProductString(char*)
{
    return false;
}

VstInt32 AudioEffectX::getVendorVersion()
{
    return 0;
}

VstIntPtr AudioEffectX::vendorSpecific(VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstInt32 AudioEffectX::canDo(char*)
{
    return 0;
}

VstInt32 AudioEffectX::getVstVersion()
{
    return kVstVersion;
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return (effectRecord.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
}

VstInt32 AudioEffectX::getMidiProgramName(VstInt32, MidiProgramName*)
{
    return 0;
}

VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32, MidiProgramName*)
{
    return kNoCurrentMidiProgram;
}

VstInt32 AudioEffectX::getMidiProgramCategory(VstInt32, MidiProgramCategory*)
{
    return 0;
}

bool AudioEffectX::hasMidiProgramsChanged(VstInt32)
{
    return false;
}

bool AudioEffectX::getMidiKeyName(VstInt32, MidiKeyName*)
{
    return false;
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

VstInt32 AudioEffectX::getNextShellPlugin(char*)
{
    return 0;
}

// An arrangement is allocated as one block of bytes, large enough for its
// channels and never smaller than the declared structure, so that every field
// a reader of the structure may touch is owned memory.
bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 numChannels)
{
    const size_t header = offsetof(VstSpeakerArrangement, speakers);
    // A count from the host that would wrap the size (possible in a 32-bit
    // build) must not give a small block that claims many channels.
    const size_t maxChannels = (SIZE_MAX - header) / sizeof(VstSpeakerProperties);
    if (!arrangement || numChannels < 0 || static_cast<size_t>(numChannels) > maxChannels)
        return false;
    deallocateArrangement(arrangement);
    size_t size = header + static_cast<size_t>(numChannels) * sizeof(VstSpeakerProperties);
    if (size < sizeof(VstSpeakerArrangement))
        size = sizeof(VstSpeakerArrangement);
    char* block = new (std::nothrow) char[size];
    if (!block)
        return false;
    std::memset(block, 0, size);
    *arrangement = reinterpret_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = numChannels;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement)
{
    if (arrangement && *arrangement) {
        delete[] reinterpret_cast<char*>(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (!to || !from)
        return false;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    vst_strncpy(to->name, from->name, kSpeakerNameLimit);
    to->type = from->type;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (!from)
        return false;
    // Matching an arrangement to itself: freeing the target would free the
    // source before it is read.
    if (to && *to == from)
        return true;
    if (!deallocateArrangement(to) || !allocateArrangement(to, from->numChannels))
        return false;
    (*to)->type = from->type;
    for (VstInt32 channel = 0; channel < from->numChannels; ++channel)
        if (!copySpeaker(speakerAt(*to, channel), speakerAt(from, channel)))
            return false;
    return true;
}

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

bool AudioEffectX::offlineNotify(VstAudioFile*, VstInt32, bool)
{
    return false;
}

bool AudioEffectX::offlinePrepare(VstOfflineTask*, VstInt32)
{
    return false;
}

bool AudioEffectX::offlineRun(VstOfflineTask*, VstInt32)
{
    return false;
}

VstInt32 AudioEffectX::offlineGetNumPasses()
{
    return 0;
}

VstInt32 AudioEffectX::offlineGetNumMetaPasses()
{
    return 0;
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

VstInt32 AudioEffectX::__getNumCategoriesDeprecated()
{
    return 1;
}

bool AudioEffectX::__copyProgramDeprecated(VstInt32)
{
    return false;
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

void AudioEffectX::__inputConnectedDeprecated(VstInt32, bool) {}

void AudioEffectX::__outputConnectedDeprecated(VstInt32, bool) {}

VstInt32 AudioEffectX::__willProcessReplacingDeprecated()
{
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::__wantAsyncOperationDeprecated(bool state)
{
    setFlag(effFlagsExtIsAsync, state);
}

void AudioEffectX::__hasExternalBufferDeprecated(bool state)
{
    setFlag(effFlagsExtHasBuffer, state);
}

VstInt32 AudioEffectX::__reportCurrentPositionDeprecated()
{
    return 0;
}

float* AudioEffectX::__reportDestinationBufferDeprecated()
{
    return nullptr;
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

void AudioEffectX::__setBlockSizeAndSampleRateDeprecated(VstInt32 size, float rate)
{
    blockSize = size;
    sampleRate = rate;
}

bool AudioEffectX::__getErrorTextDeprecated(char*)
{
    return false;
}

void* AudioEffectX::__getIconDeprecated()
{
    return nullptr;
}

bool AudioEffectX::__setViewPositionDeprecated(VstInt32, VstInt32)
{
    return false;
}

VstInt32 AudioEffectX::__fxIdleDeprecated()
{
    return 0;
}

bool AudioEffectX::__keysRequiredDeprecated()
{
    return false;
}

bool AudioEffectX::__getChunkFileDeprecated(void* nativePath)
{
    return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
