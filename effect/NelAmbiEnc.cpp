#include "effect/NelAmbiEnc.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char kVendor[] = "CorVane";
const char kProduct[] = "Corvane Velmora XY 3 - 2d";
constexpr VstInt32 kVendorVersion = 1000;
constexpr VstInt32 kUniqueId = vstFourCharCode('N', 'b', '2', 'q');
constexpr VstInt32 kCategoryEffect = 1;

const char kInputLabel[] = "Mono Input";
const char* const kOutputLabels[] = {"W", "X", "Y", "U", "V", "P", "Q"};
constexpr int kNumOutputLabels = sizeof kOutputLabels / sizeof kOutputLabels[0];

// The name a program carries until someone names it, shown with its number.
const char kUnnamedProgram[] = "Init";
const char kOff[] = "off";
// float2string limits that give two decimals for one integer digit.
constexpr VstInt32 kPositiveDigits = 4;
constexpr VstInt32 kNegativeDigits = 5;
// The near-field filters never model a source closer than this.
constexpr float kNearestFilterMetres = NelAmbisonicEncoder::kNearestFilterDistance;

// The encoder field behind each parameter, in parameter order.
float NelAmbisonicEncoder::*const kEncoderFields[ParameterTable::kCount] = {
    &NelAmbisonicEncoder::azimuth,     &NelAmbisonicEncoder::elevation, &NelAmbisonicEncoder::x,
    &NelAmbisonicEncoder::y,           &NelAmbisonicEncoder::z,         &NelAmbisonicEncoder::distance,
    &NelAmbisonicEncoder::compDistance};

using Lock = std::lock_guard<std::recursive_mutex>;

void copyText(char* destination, const char* text)
{
    std::strcpy(destination, text);
}

} // namespace

NelAmbiEnc::NelAmbiEnc(audioMasterCallback hostCallback)
    : AudioEffectX(hostCallback, kNumPrograms, ParameterTable::kCount),
      programs(new NelAmbiEncProgram[kNumPrograms]), encoder(Order3H0V)
{
    for (int i = 0; i < kNumPrograms; ++i)
        std::snprintf(programs[i].name, NelAmbiEncProgram::kNameSize, "Prog %i", i + 1);
    setProgram(0);
    setNumInputs(1);
    setNumOutputs(encoder.numChannels);
    setUniqueID(kUniqueId);
    NelAmbiEnc::resume();
}

NelAmbiEnc::~NelAmbiEnc()
{
    delete[] programs;
}

void NelAmbiEnc::resume()
{
    AudioEffectX::resume();
    const Lock lock(controlLock);
    encoder.resume();
}

void NelAmbiEnc::setSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0.0f)
        return;
    AudioEffectX::setSampleRate(rate);
    const Lock lock(controlLock);
    encoder.sampleRate = rate;
    encoder.SetDistCoef(encoder.filterDistance, encoder.compDistance);
}

void NelAmbiEnc::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    encoder.process(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::process(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    encoder.process(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::__processDeprecated(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    process(inputs, outputs, sampleFrames);
}

void NelAmbiEnc::setParameter(VstInt32 index, float value)
{
    if (!ParameterTable::isValidIndex(index) || !ParameterTable::acceptsValue(value))
        return;
    const Lock lock(controlLock);
    programs[currentProgram].values[index] = value;
    setEncoderValue(index, ParameterTable::toEncoder(index, value));
}

float NelAmbiEnc::getParameter(VstInt32 index)
{
    if (!ParameterTable::isValidIndex(index))
        return 0.0f;
    return ParameterTable::toNormalised(index, encoderValue(index));
}

float NelAmbiEnc::encoderValue(int index) const
{
    const Lock lock(controlLock);
    return encoder.*kEncoderFields[index];
}

// Writes one encoder field and brings the encoder up to date in the way that
// field requires.
void NelAmbiEnc::setEncoderValue(int index, float value)
{
    encoder.*kEncoderFields[index] = value;
    switch (index) {
    case kAzimuth:
    case kElevation: encoder.UpdatePolarCoords(); break;
    case kX:
    case kY:
    case kZ: encoder.UpdateRectCoords(); break;
    case kDistance:
        encoder.filterDistance = value < kNearestFilterMetres ? kNearestFilterMetres : value;
        encoder.SetDistCoef(encoder.filterDistance, encoder.compDistance);
        encoder.UpdatePolarCoords();
        break;
    case kCompensationDistance:
        encoder.SetDistCoef(encoder.filterDistance, encoder.compDistance);
        encoder.UpdatePolarCoords();
        break;
    }
}

void NelAmbiEnc::setProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    const Lock lock(controlLock);
    currentProgram = program;
    // The replay order matters: the rectangular slots come after the polar
    // ones and decide the direction, the distance slot decides the radius.
    for (int i = 0; i < ParameterTable::kCount; ++i)
        setParameter(i, programs[program].values[i]);
}

void NelAmbiEnc::setProgramName(char* name)
{
    const Lock lock(controlLock);
    programs[currentProgram].setName(name);
}

void NelAmbiEnc::getProgramName(char* name)
{
    const Lock lock(controlLock);
    const NelAmbiEncProgram& program = programs[currentProgram];
    if (std::strcmp(program.name, kUnnamedProgram) == 0)
        std::sprintf(name, "%s %d", program.name, currentProgram + 1);
    else
        copyText(name, program.name);
}

bool NelAmbiEnc::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    const Lock lock(controlLock);
    copyText(text, programs[index].name);
    return true;
}

void NelAmbiEnc::getParameterLabel(VstInt32 index, char* label)
{
    if (ParameterTable::isValidIndex(index))
        copyText(label, ParameterTable::info(index).label);
}

void NelAmbiEnc::getParameterName(VstInt32 index, char* text)
{
    if (ParameterTable::isValidIndex(index))
        copyText(text, ParameterTable::info(index).name);
}

void NelAmbiEnc::getParameterDisplay(VstInt32 index, char* text)
{
    if (!ParameterTable::isValidIndex(index))
        return;
    const float value = encoderValue(index);
    switch (ParameterTable::info(index).text) {
    case ValueText::Degrees:
        std::snprintf(text, ParameterTable::kMaxValueTextLength + 1, "%d",
                      ParameterTable::roundedDegrees(value));
        break;
    case ValueText::Metres: formatMetres(value, text); break;
    case ValueText::MetresOrOff:
        if (value == ParameterTable::kOffSentinel)
            copyText(text, kOff);
        else
            formatMetres(value, text);
        break;
    }
}

void NelAmbiEnc::formatMetres(float metres, char* text)
{
    float2string(metres, text, metres >= 0.0f ? kPositiveDigits : kNegativeDigits);
}

bool NelAmbiEnc::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index != 0)
        return false;
    copyText(properties->label, kInputLabel);
    properties->flags = kVstPinIsActive;
    return true;
}

bool NelAmbiEnc::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index >= 0 && index < kNumOutputLabels)
        copyText(properties->label, kOutputLabels[index]);
    properties->flags = kVstPinIsActive;
    return true;
}

bool NelAmbiEnc::getEffectName(char* name)
{
    getProductString(name);
    return true;
}

bool NelAmbiEnc::getVendorString(char* text)
{
    copyText(text, kVendor);
    return true;
}

bool NelAmbiEnc::getProductString(char* text)
{
    copyText(text, kProduct);
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
