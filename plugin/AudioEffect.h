// The base of every effect: holds the record handed to the host, turns the
// host's requests for opcodes 0..24 into virtual operations, and gives each
// operation a harmless default that an effect overrides where it has more to
// say.
#pragma once

#include "plugin/AEffectX.h"

class AEffEditor;
class AudioEffect;

// Defined by the effect: builds one instance for the entry point, or null.
AudioEffect* createEffectInstance(audioMasterCallback hostCallback);

class AudioEffect {
public:
    AudioEffect(audioMasterCallback hostCallback, VstInt32 numPrograms, VstInt32 numParams);
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Destroys the attached editor.
    virtual ~AudioEffect();

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    // Sets the parameter, then tells the host that the user changed it.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return currentProgram; }
    virtual void setProgram(VstInt32 program) { currentProgram = program; }
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    // Chunks: the size in bytes, 0 for none. getChunk leaves *data alone.
    virtual VstInt32 getChunk(void** data, bool isPreset);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);

    virtual void setUniqueID(VstInt32 id) { effectRecord.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { effectRecord.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { effectRecord.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { effectRecord.initialDelay = delay; }
    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &effectRecord; }
    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }

    // Host services; each answers a fixed default when there is no host.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();

    // Value texts: at most `limit` characters and a terminating zero.
    virtual void dB2string(float value, char* text, VstInt32 limit);
    virtual void Hz2string(float samples, char* text, VstInt32 limit);
    virtual void ms2string(float samples, char* text, VstInt32 limit);
    virtual void float2string(float value, char* text, VstInt32 limit);
    virtual void int2string(VstInt32 value, char* text, VstInt32 limit);

    // The accumulating process of older hosts.
    virtual void __processDeprecated(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual float __getVuDeprecated() { return 0.0f; }
    virtual void __hasVuDeprecated(bool state) { setFlag(effFlagsHasVu, state); }
    virtual void __hasClipDeprecated(bool state) { setFlag(effFlagsHasClip, state); }
    virtual void __canMonoDeprecated(bool state) { setFlag(effFlagsCanMono, state); }
    virtual void __setRealtimeQualitiesDeprecated(VstInt32 qualities);
    virtual void __setOfflineQualitiesDeprecated(VstInt32 qualities);
    virtual bool __isInputConnectedDeprecated(VstInt32 input);
    virtual bool __isOutputConnectedDeprecated(VstInt32 output);

    // Stores the editor (owned from now on) and announces it through the flags.
    void setEditor(AEffEditor* newEditor);

protected:
    void setFlag(VstInt32 mask, bool state);
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    audioMasterCallback hostCallback;
    AEffEditor* editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 currentProgram;
    AEffect effectRecord;

private:
    static VstIntPtr dispatchEffectClass(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* ptr, float opt) noexcept;
    static float getParameterClass(AEffect* record, VstInt32 index) noexcept;
    static void setParameterClass(AEffect* record, VstInt32 index, float value) noexcept;
    static void __processClassDeprecated(AEffect* record, float** inputs, float** outputs,
                                         VstInt32 sampleFrames) noexcept;
    static void processClassReplacing(AEffect* record, float** inputs, float** outputs,
                                      VstInt32 sampleFrames) noexcept;
    static void processClassDoubleReplacing(AEffect* record, double** inputs, double** outputs,
                                            VstInt32 sampleFrames) noexcept;
};
