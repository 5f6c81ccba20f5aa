#include "effect/NelAmbiEnc.h"

#include "effect/ParameterText.h"
#include "plugin/ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

const char kVendor[] = "CorVane";
constexpr VstInt32 kVendorVersion = 1000;
constexpr VstInt32 kCategoryEffect = 1;

const char kInputLabel[] = "Mono Input";

// The name a program carries until someone names it, shown with its number.
const char kUnnamedProgram[] = "Init";

using NamesLock = std::lock_guard<std::mutex>;

// Every text goes into a buffer the host owns, at most `limit` characters and
// a terminating zero. Program names, labels and value texts keep to the
// interface's short limits; the parameter names, vendor, product and pin
// labels this plug-in defines are longer than the short limit and written
// whole, but never beyond the interface's 64-byte buffers.
constexpr size_t kProgramNameLimit = kVstMaxProgNameLen;
constexpr size_t kShortTextLimit = kVstMaxParamStrLen;
constexpr size_t kLongTextLimit = kVstMaxNameLen - 1;
constexpr size_t kEffectNameLimit = kVstMaxEffectNameLen - 1;

// Differences smaller than this are the rounding of a trip through the
// normalised value and back (of the order of 1e-7): a host that sets a
// reported value back must not be told about it again.
constexpr float kReportableChange = 1e-6f;
// A host that answers reports by setting other values would otherwise be
// told forever; after this many rounds the host has been told everything
// it can act on.
constexpr int kMaxReportRounds = 3;

// The effect whose reports the current thread is delivering: a parameter the
// host sets from inside such a report is applied, and reported by the round
// that is running, not from inside the host's callback.
thread_local const void* reportingEffect = nullptr;

// The same float, bit for bit: a NaN is never the same, so the first
// publication, over the NaNs the values start as, stores every value.
bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 && a == a;
}

void copyText(char* destination, const char* text, size_t limit)
{
    vst_strncpy(destination, text, limit);
}

} // namespace

NelAmbiEnc::NelAmbiEnc(audioMasterCallback hostCallback, const EffectIdentity& identity_)
    : AudioEffectX(hostCallback, kNumPrograms, ParameterTable::kCount),
      programs(new NelAmbiEncProgram[kNumPrograms]),
      // The encoder's gains carry the output convention's weights, so that
      // both conventions cost the same per sample.
      encoder(Order3H0V, EncoderControl::encoderWeights(identity_.convention)),
      encoderControl(encoder, identity_.convention), identity(identity_)
{
    for (int i = 0; i < kNumPrograms; ++i)
        std::snprintf(programs[i].name, NelAmbiEncProgram::kNameSize, "Prog %i", i + 1);
    for (auto& value : heldValues)
        value.store(std::numeric_limits<float>::quiet_NaN(), std::memory_order_relaxed);
    publishHeldValues();
    setProgram(0);
    setNumInputs(1);
    setNumOutputs(identity.numOutputs);
    setUniqueID(vstFourCharCode(identity.uniqueId[0], identity.uniqueId[1], identity.uniqueId[2],
                                identity.uniqueId[3]));
    describeSpeakers();
    NelAmbiEnc::resume();
    for (int i = 0; i < ParameterTable::kCount; ++i)
        hostKnows[i].store(getParameter(i));
    reportsToHost = true;
}

NelAmbiEnc::~NelAmbiEnc()
{
    deallocateArrangement(&inputSpeakers);
    deallocateArrangement(&outputSpeakers);
    delete[] programs;
}

void NelAmbiEnc::resume()
{
    AudioEffectX::resume();
    submit(Caller::UserInterface, ControlCommand::Kind::Resume);
    reportChangesToHost();
}

void NelAmbiEnc::setSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0.0f)
        return;
    AudioEffectX::setSampleRate(rate);
    submit(Caller::UserInterface, ControlCommand::Kind::SampleRate, 0, rate);
    reportChangesToHost();
}

void NelAmbiEnc::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    render(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::process(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    render(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::render(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    encoderControl.render(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::__processDeprecated(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    process(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::setParameter(VstInt32 index, float value)
{
    if (!ParameterTable::isValidIndex(index) || !ParameterTable::acceptsValue(value))
        return;
    // Release, not sequentially consistent: no other variable's order
    // depends on it, and on the audio thread a plain store is what it costs.
    hostKnows[index].store(value, std::memory_order_release);
    if (submit(Caller::MayBeRealTime, ControlCommand::Kind::Parameter, index, value))
        reportChangesToHost();
}

void NelAmbiEnc::setParameterAutomated(VstInt32 index, float value)
{
    if (!ParameterTable::isValidIndex(index) || !ParameterTable::acceptsValue(value))
        return;
    hostKnows[index].store(value, std::memory_order_release);
    submit(Caller::UserInterface, ControlCommand::Kind::Parameter, index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
    // After the automation of the value itself, so that a value the effect
    // pulled in to the 4 m circle reaches the host last.
    reportChangesToHost();
}

float NelAmbiEnc::getParameter(VstInt32 index)
{
    if (!ParameterTable::isValidIndex(index))
        return 0.0f;
    return normalisedValue(index);
}

void NelAmbiEnc::setProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    submit(Caller::UserInterface, ControlCommand::Kind::Program, program);
    if (reportsToHost) {
        reportChangesToHost();
        // Names and values all changed: hosts read them again.
        updateDisplay();
    }
}

VstInt32 NelAmbiEnc::getProgram()
{
    return selectedProgram.load(std::memory_order_acquire);
}

void NelAmbiEnc::parameterApplied(VstInt32) {}

// Runs on the thread that made the change, after it is in effect, outside
// the control state: the host may call anything from its callback. Each
// difference is claimed with a compare-and-swap, so two threads reporting at
// once tell the host each change once.
void NelAmbiEnc::reportChangesToHost()
{
    if (!reportsToHost || reportingEffect == this)
        return;
    const void* outer = reportingEffect;
    reportingEffect = this;
    for (int round = 0; round < kMaxReportRounds; ++round) {
        const std::uint32_t published = publications.load(std::memory_order_acquire);
        bool told = false;
        for (int i = 0; i < ParameterTable::kCount; ++i) {
            const float now = normalisedValue(i);
            float known = hostKnows[i].load(std::memory_order_acquire);
            if (std::fabs(now - known) <= kReportableChange ||
                !hostKnows[i].compare_exchange_strong(known, now))
                continue;
            callHost(audioMasterAutomate, i, 0, nullptr, now);
            told = true;
        }
        // Another round finds something only when a change was published
        // meanwhile: one the host made from inside its callback, or another
        // thread's.
        if (!told || publications.load(std::memory_order_acquire) == published)
            break;
    }
    reportingEffect = outer;
}

bool NelAmbiEnc::submit(Caller caller, ControlCommand::Kind kind, VstInt32 index, float value)
{
    ControlCommand command;
    command.kind = kind;
    command.index = index;
    command.value = value;
    const auto applyHere = [this](const ControlCommand& c) { apply(c); };
    if (caller == Caller::MayBeRealTime)
        return control.submit(command, applyHere);
    control.runExclusively(command, applyHere);
    return true;
}

void NelAmbiEnc::apply(const ControlCommand& command)
{
    switch (command.kind) {
    case ControlCommand::Kind::Parameter: applyParameter(command.index, command.value); break;
    case ControlCommand::Kind::Program: applyProgram(command.index); break;
    case ControlCommand::Kind::SampleRate: encoderControl.setSampleRate(command.value); break;
    case ControlCommand::Kind::Resume: encoderControl.resume(); break;
    }
}

void NelAmbiEnc::applyParameter(VstInt32 index, float value)
{
    programs[currentProgram].values[index] = value;
    encoderControl.setParameter(index, value);
    publishHeldValues();
    parameterApplied(index);
}

void NelAmbiEnc::applyProgram(VstInt32 program)
{
    currentProgram = program;
    selectedProgram.store(program, std::memory_order_release);
    // The replay order matters: the rectangular slots come after the polar
    // ones and decide the direction, the distance slot decides the radius.
    for (int i = 0; i < ParameterTable::kCount; ++i)
        applyParameter(i, programs[program].values[i]);
}

void NelAmbiEnc::publishHeldValues()
{
    bool moved = false;
    for (int i = 0; i < ParameterTable::kCount; ++i) {
        const float value = encoderControl.quantity(i);
        // Only the applying thread writes them: its own last store is there.
        if (sameBits(value, heldValues[i].load(std::memory_order_relaxed)))
            continue;
        heldValues[i].store(value, std::memory_order_release);
        normalisedValues[i].store(ParameterTable::toNormalised(i, value), std::memory_order_release);
        moved = true;
    }
    // One writer at a time (the serialiser's): a plain increment will do.
    if (moved)
        publications.store(publications.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void NelAmbiEnc::setProgramName(char* name)
{
    const NamesLock lock(namesLock);
    programs[getProgram()].setName(name);
}

void NelAmbiEnc::getProgramName(char* name)
{
    const VstInt32 current = getProgram();
    const NamesLock lock(namesLock);
    const NelAmbiEncProgram& program = programs[current];
    if (std::strcmp(program.name, kUnnamedProgram) == 0)
        std::snprintf(name, kProgramNameLimit + 1, "%s %d", kUnnamedProgram, current + 1);
    else
        copyText(name, program.name, kProgramNameLimit);
}

bool NelAmbiEnc::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    const NamesLock lock(namesLock);
    copyText(text, programs[index].name, kProgramNameLimit);
    return true;
}

void NelAmbiEnc::getParameterLabel(VstInt32 index, char* label)
{
    if (ParameterTable::isValidIndex(index))
        copyText(label, ParameterTable::info(index).label, kShortTextLimit);
}

void NelAmbiEnc::getParameterName(VstInt32 index, char* text)
{
    if (ParameterTable::isValidIndex(index))
        copyText(text, ParameterTable::info(index).name, kLongTextLimit);
}

void NelAmbiEnc::getParameterDisplay(VstInt32 index, char* text)
{
    if (ParameterTable::isValidIndex(index))
        ParameterText::format(index, heldValue(index), text);
}

bool NelAmbiEnc::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index != 0)
        return false;
    copyText(properties->label, kInputLabel, kLongTextLimit);
    properties->flags = kVstPinIsActive;
    return true;
}

bool NelAmbiEnc::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index >= 0 && index < identity.numOutputs)
        copyText(properties->label, identity.outputLabels[index], kLongTextLimit);
    properties->flags = kVstPinIsActive;
    return true;
}

// The arrangements are made once, before any host can ask, so the request
// itself only hands out pointers. Without memory for them the effect simply
// declares none.
void NelAmbiEnc::describeSpeakers()
{
    if (!identity.declaresSpeakers)
        return;
    if (!allocateArrangement(&inputSpeakers, 1) ||
        !allocateArrangement(&outputSpeakers, identity.numOutputs)) {
        deallocateArrangement(&inputSpeakers);
        return;
    }
    inputSpeakers->type = kSpeakerArrMono;
    copyText(inputSpeakers->speakers[0].name, kInputLabel, kLongTextLimit);
    inputSpeakers->speakers[0].type = kSpeakerM;
    outputSpeakers->type = kSpeakerArrUserDefined;
    for (int c = 0; c < identity.numOutputs; ++c) {
        VstSpeakerProperties* speaker = speakerAt(outputSpeakers, c);
        copyText(speaker->name, identity.outputLabels[c], kLongTextLimit);
        speaker->type = kSpeakerUndefined;
    }
}

bool NelAmbiEnc::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput)
{
    if (inputSpeakers == nullptr || outputSpeakers == nullptr)
        return AudioEffectX::getSpeakerArrangement(pluginInput, pluginOutput);
    if (pluginInput)
        *pluginInput = inputSpeakers;
    if (pluginOutput)
        *pluginOutput = outputSpeakers;
    return true;
}

bool NelAmbiEnc::getEffectName(char* name)
{
    copyText(name, identity.product, kEffectNameLimit);
    return true;
}

bool NelAmbiEnc::getVendorString(char* text)
{
    copyText(text, kVendor, kLongTextLimit);
    return true;
}

bool NelAmbiEnc::getProductString(char* text)
{
    copyText(text, identity.product, kLongTextLimit);
    return true;
}

VstInt32 NelAmbiEnc::getVendorVersion()
{
    return kVendorVersion;
}

VstInt32 NelAmbiEnc::getPlugCategory()
{
    return kCategoryEffect;
}
