#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "dsp/NelAmbisonicEncoder.h"
#include "effect/ControlSerialiser.h"
#include "effect/EncoderControl.h"
#include "effect/EffectIdentity.h"
#include "effect/NelAmbiEncProgram.h"
#include "plugin/AudioEffectX.h"

// The encoder effect as the host sees it: one mono input encoded into
// horizontal third-order B-format (W X Y U V P Q, or the same in ACN order
// with SN3D weights, as its identity says), seven automatable parameters that
// are two views of one source position, and a bank of 16 programs.
class NelAmbiEnc : public AudioEffectX {
public:
    static constexpr int kNumPrograms = 16;

    // `identity` must outlive the effect (the two identities are constants).
    NelAmbiEnc(audioMasterCallback hostCallback, const EffectIdentity& identity);
    ~NelAmbiEnc() override;

    void resume() override;
    // Rates that are zero, negative or not finite are ignored.
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // NaN, infinite or absurdly large values are ignored: a bad target would
    // otherwise stay in the gain smoothers and silence the output for good.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    // The editor's changes: the host hears the value sent first, then
    // whatever the effect made of it and of the other view.
    void setParameterAutomated(VstInt32 index, float value) override;

    void setProgram(VstInt32 program) override;
    VstInt32 getProgram() override;
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
    // Mono in and the outputs as user-defined channels, for an identity that
    // declares them; otherwise nothing, as the base answers.
    bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                               VstSpeakerArrangement** pluginOutput) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 getPlugCategory() override;

protected:
    // Called on whichever thread applies a parameter change, once the
    // change is in effect (also for each slot a program recall replays).
    // Must not wait for anything: it may run on the audio thread.
    virtual void parameterApplied(VstInt32 index);

    OutputConvention outputConvention() const { return identity.convention; }

    NelAmbiEncProgram* programs;
    NelAmbisonicEncoder encoder;

private:
    // A change of the control state, as any host thread hands it over.
    struct ControlCommand {
        enum class Kind : std::int32_t { Parameter, Program, SampleRate, Resume };
        Kind kind = Kind::Parameter;
        VstInt32 index = 0;
        float value = 0.0f;
    };
    static constexpr std::size_t kPendingCommands = 4096;

    void render(float** inputs, float** outputs, VstInt32 sampleFrames);
    void describeSpeakers();

    // setParameter's changes may come from the audio thread: they never wait.
    // Everything else comes from the host's other threads or the editor, and
    // waits its turn instead of leaving work for the audio thread (see
    // ControlSerialiser).
    enum class Caller { MayBeRealTime, UserInterface };
    // True when the change is in effect on return: always for the user-interface
    // side, and for a real-time caller that applied it itself.
    bool submit(Caller caller, ControlCommand::Kind kind, VstInt32 index = 0, float value = 0.0f);
    // Tells the host, through automation reports, every parameter whose value
    // now differs from what the host last set or was last told. Called by
    // every thread that applied changes, once they are in effect: a change
    // another thread applied is that thread's to report, never one this
    // thread merely left in the ring.
    void reportChangesToHost();
    // These run only inside the serialiser, one thread at a time.
    void apply(const ControlCommand& command);
    void applyParameter(VstInt32 index, float value);
    void applyProgram(VstInt32 program);
    void publishHeldValues();

    float heldValue(int index) const { return heldValues[index].load(std::memory_order_acquire); }
    float normalisedValue(int index) const { return normalisedValues[index].load(std::memory_order_acquire); }

    // Hosts call in from several threads at once: automation on the audio
    // thread, the editor and generic parameter views on the GUI thread,
    // program changes anywhere. The program values, the current program and
    // the encoder's fields and updates belong to one writer at a time, the
    // thread the serialiser lets run commands; setParameter never waits for
    // it, the other changes wait their turn.
    ControlSerialiser<ControlCommand, kPendingCommands> control;
    // The rules that drive `encoder`, shared with the other plug-in formats.
    EncoderControl encoderControl;
    // The encoder's quantity behind each parameter as last applied, and its
    // normalised value: what the value texts and getParameter read, from any
    // thread. The normalised value is worked out once per change, where the
    // change is applied, not each time a host or a report asks for it; a
    // change republishes only the parameters it moved.
    std::atomic<float> heldValues[ParameterTable::kCount];
    std::atomic<float> normalisedValues[ParameterTable::kCount];
    // How many times published values moved: a report round that told the
    // host something needs another only when this changed meanwhile.
    std::atomic<std::uint32_t> publications{0};
    std::atomic<VstInt32> selectedProgram{0};
    // The normalised value of each parameter as the host knows it: what it
    // last set, or what it was last told.
    std::atomic<float> hostKnows[ParameterTable::kCount];
    // Off while the constructor sets the first program: nobody is listening yet.
    bool reportsToHost = false;
    const EffectIdentity& identity;
    // Built once, when the identity declares speakers; handed to hosts as ours.
    VstSpeakerArrangement* inputSpeakers = nullptr;
    VstSpeakerArrangement* outputSpeakers = nullptr;
    // Program names are read and written only by the name requests, never on
    // the audio thread, and never held across anything but a copy.
    mutable std::mutex namesLock;
};
