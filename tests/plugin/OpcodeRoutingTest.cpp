// Which operation each opcode reaches, with which arguments, and how its
// result comes back. The base operations mostly answer 0, which would hide a
// swapped argument or a wrong operation, so an effect of the test's own
// overrides those whose arguments or answers the dispatcher repacks and
// writes down each call.
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/AudioEffectX.h"
#include "tests/plugin/RecordingHost.h"

namespace {

char buffer[64]; // what the requests carry in ptr
char valueTarget[8]; // what the requests carry in value, where value is a pointer
constexpr VstInt32 kCount = -77; // the result of every integer operation
// The result of vendorSpecific: as wide as the answer can hold.
const VstIntPtr kWide = sizeof(VstIntPtr) == 8 ? static_cast<VstIntPtr>(0x123456789ALL) : 0x12345678;

void describePointer(std::ostream& out, const void* pointer)
{
    out << (pointer == buffer ? "P" : pointer == valueTarget ? "V" : "?");
}

class RoutingEffect : public AudioEffectX {
public:
    RoutingEffect() : AudioEffectX(nullptr, 16, 7) {}

    std::vector<std::string> calls;

    void setSampleRate(float rate) override { note("setSampleRate", rate); }
    void setBlockSize(VstInt32 size) override { note("setBlockSize", size); }
    void processReplacing(float**, float**, VstInt32) override {}
    void setProgram(VstInt32 program) override { note("setProgram", program); }
    void getParameterName(VstInt32 i, char* t) override { note("getParameterName", i, t); }
    VstInt32 getChunk(void** data, bool isPreset) override
    {
        return note("getChunk", data, isPreset), kCount;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override
    {
        return note("setChunk", data, size, isPreset), kCount;
    }
    bool canParameterBeAutomated(VstInt32 i) override { return note("canParameterBeAutomated", i); }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 i, char* t) override
    {
        return note("getProgramNameIndexed", category, i, t);
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override
    {
        return note("setSpeakerArrangement", in, out);
    }
    bool setBypass(bool on) override { return note("setBypass", on); }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float opt) override
    {
        return note("vendorSpecific", a, b, p, opt), kWide;
    }
    VstInt32 canDo(char* t) override { return note("canDo", t), kCount; }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override
    {
        return note("getSpeakerArrangement", in, out);
    }

private:
    // Records "name(arg,arg,...)"; answers true so that a bool result shows.
    template <typename... Args> bool note(const char* name, Args... args)
    {
        std::ostringstream out;
        out << name << "(";
        [[maybe_unused]] const char* separator = "";
        ((out << separator, describe(out, args), separator = ","), ...);
        out << ")";
        calls.push_back(out.str());
        return true;
    }
    template <typename T> static void describe(std::ostream& out, T value)
    {
        if constexpr (std::is_pointer_v<T>)
            describePointer(out, value);
        else if constexpr (std::is_same_v<T, bool>)
            out << (value ? "true" : "false");
        else
            out << value;
    }
};

struct Route {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    const char* call;
    VstIntPtr answer;
};

const VstIntPtr kValuePointer = reinterpret_cast<VstIntPtr>(valueTarget);
constexpr float kOpt = 2.5f;

// Every request carries ptr = P (buffer) and opt = 2.5.
const Route kRoutes[] = {
    {effSetProgram, 3, 5, "setProgram(5)", 0},
    {effGetParamName, 3, 5, "getParameterName(3,P)", 0},
    {effSetSampleRate, 3, 5, "setSampleRate(2.5)", 0},
    {effSetBlockSize, 3, 5, "setBlockSize(5)", 0},
    {effGetChunk, 3, 5, "getChunk(P,true)", kCount},
    {effGetChunk, 0, 5, "getChunk(P,false)", kCount},
    {effSetChunk, 3, 5, "setChunk(P,5,true)", kCount},
    {effSetChunk, 0, 5, "setChunk(P,5,false)", kCount},
    {effCanBeAutomated, 3, 5, "canParameterBeAutomated(3)", 1},
    {effGetProgramNameIndexed, 3, 5, "getProgramNameIndexed(5,3,P)", 1},
    {effSetSpeakerArrangement, 3, kValuePointer, "setSpeakerArrangement(V,P)", 1},
    {effSetBypass, 3, 5, "setBypass(true)", 1},
    {effSetBypass, 3, 0, "setBypass(false)", 1},
    {effVendorSpecific, 3, 5, "vendorSpecific(3,5,P,2.5)", kWide},
    {effCanDo, 3, 5, "canDo(P)", kCount},
    {effGetSpeakerArrangement, 3, kValuePointer, "getSpeakerArrangement(V,P)", 1},
};

TEST(OpcodeRouting, EachOpcodeMakesOneCallWithItsArgumentsAndPacksTheResult)
{
    RoutingEffect effect;
    for (const Route& route : kRoutes) {
        effect.calls.clear();
        const VstIntPtr answer = effect.dispatcher(route.opcode, route.index, route.value, buffer, kOpt);
        EXPECT_EQ(effect.calls, std::vector<std::string>{route.call}) << "opcode " << route.opcode;
        EXPECT_EQ(answer, route.answer) << route.call;
    }
}

// The base resume asks the host for MIDI only for a synth or for an effect
// that answers exactly 1 to "receiveVstMidiEvent".
class MidiCapableEffect : public AudioEffectX {
public:
    MidiCapableEffect() : AudioEffectX(RecordingHost::callback, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
    VstInt32 canDo(char* text) override
    {
        asked.push_back(text);
        return answer;
    }

    VstInt32 answer = 0;
    std::vector<std::string> asked;
};

TEST(OpcodeRouting, ResumeWantsMidiOnlyForASynthOrAnExactYes)
{
    RecordingHost host;
    MidiCapableEffect effect;
    for (VstInt32 answer : {0, -1, 2, 1}) {
        effect.answer = answer;
        host.clear();
        effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
        EXPECT_EQ(host.requests.size(), answer == 1 ? 1u : 0u) << "canDo answered " << answer;
    }
    EXPECT_EQ(effect.asked.back(), "receiveVstMidiEvent");
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(host.requests[0].value, 1);

    effect.answer = 0;
    effect.isSynth(true);
    host.clear();
    effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(host.requests.size(), 1u);
}

} // namespace
