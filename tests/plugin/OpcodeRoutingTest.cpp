// Which operation each opcode reaches, with which arguments, and how its
// result comes back. The base operations mostly answer 0, which would hide a
// swapped argument or a wrong operation, so an effect of the test's own
// overrides them all and writes down each call.
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
    if (pointer == buffer)
        out << "P";
    else if (pointer == valueTarget)
        out << "V";
    else
        out << (pointer ? "?" : "null");
}

class RoutingEffect : public AudioEffectX {
public:
    RoutingEffect() : AudioEffectX(nullptr, 16, 7) {}

    std::vector<std::string> calls;

    void open() override { note("open"); }
    void close() override { note("close"); }
    void suspend() override { note("suspend"); }
    void resume() override { note("resume"); }
    void setSampleRate(float rate) override { note("setSampleRate", rate); }
    void setBlockSize(VstInt32 size) override { note("setBlockSize", size); }
    void processReplacing(float**, float**, VstInt32) override {}
    VstInt32 getProgram() override { return note("getProgram"), kCount; }
    void setProgram(VstInt32 program) override { note("setProgram", program); }
    void setProgramName(char* name) override { note("setProgramName", name); }
    void getProgramName(char* name) override { note("getProgramName", name); }
    void getParameterLabel(VstInt32 i, char* t) override { note("getParameterLabel", i, t); }
    void getParameterDisplay(VstInt32 i, char* t) override { note("getParameterDisplay", i, t); }
    void getParameterName(VstInt32 i, char* t) override { note("getParameterName", i, t); }
    VstInt32 getChunk(void** data, bool isPreset) override
    {
        return note("getChunk", data, isPreset), kCount;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override
    {
        return note("setChunk", data, size, isPreset), kCount;
    }

    VstInt32 processEvents(VstEvents* e) override { return note("processEvents", e), kCount; }
    bool canParameterBeAutomated(VstInt32 i) override { return note("canParameterBeAutomated", i); }
    bool string2parameter(VstInt32 i, char* t) override { return note("string2parameter", i, t); }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 i, char* t) override
    {
        return note("getProgramNameIndexed", category, i, t);
    }
    bool getInputProperties(VstInt32 i, VstPinProperties* p) override
    {
        return note("getInputProperties", i, p);
    }
    bool getOutputProperties(VstInt32 i, VstPinProperties* p) override
    {
        return note("getOutputProperties", i, p);
    }
    VstInt32 getPlugCategory() override { return note("getPlugCategory"), kCount; }
    bool offlineNotify(VstAudioFile* f, VstInt32 n, bool start) override
    {
        return note("offlineNotify", f, n, start);
    }
    bool offlinePrepare(VstOfflineTask* t, VstInt32 n) override { return note("offlinePrepare", t, n); }
    bool offlineRun(VstOfflineTask* t, VstInt32 n) override { return note("offlineRun", t, n); }
    bool processVariableIo(VstVariableIo* io) override { return note("processVariableIo", io); }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override
    {
        return note("setSpeakerArrangement", in, out);
    }
    bool setBypass(bool on) override { return note("setBypass", on); }
    bool getEffectName(char* t) override { return note("getEffectName", t); }
    bool getVendorString(char* t) override { return note("getVendorString", t); }
    bool getProductString(char* t) override { return note("getProductString", t); }
    VstInt32 getVendorVersion() override { return note("getVendorVersion"), kCount; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float opt) override
    {
        return note("vendorSpecific", a, b, p, opt), kWide;
    }
    VstInt32 canDo(char* t) override { return note("canDo", t), kCount; }
    VstInt32 getGetTailSize() override { return note("getGetTailSize"), kCount; }
    bool getParameterProperties(VstInt32 i, VstParameterProperties* p) override
    {
        return note("getParameterProperties", i, p);
    }
    VstInt32 getVstVersion() override { return note("getVstVersion"), kCount; }
    VstInt32 getMidiProgramName(VstInt32 c, MidiProgramName* n) override
    {
        return note("getMidiProgramName", c, n), kCount;
    }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName* n) override
    {
        return note("getCurrentMidiProgram", c, n), kCount;
    }
    VstInt32 getMidiProgramCategory(VstInt32 c, MidiProgramCategory* n) override
    {
        return note("getMidiProgramCategory", c, n), kCount;
    }
    bool hasMidiProgramsChanged(VstInt32 c) override { return note("hasMidiProgramsChanged", c); }
    bool getMidiKeyName(VstInt32 c, MidiKeyName* k) override { return note("getMidiKeyName", c, k); }
    bool beginSetProgram() override { return note("beginSetProgram"); }
    bool endSetProgram() override { return note("endSetProgram"); }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override
    {
        return note("getSpeakerArrangement", in, out);
    }
    VstInt32 getNextShellPlugin(char* t) override { return note("getNextShellPlugin", t), kCount; }
    VstInt32 startProcess() override { return note("startProcess"), kCount; }
    VstInt32 stopProcess() override { return note("stopProcess"), kCount; }
    VstInt32 setTotalSampleToProcess(VstInt32 v) override
    {
        return note("setTotalSampleToProcess", v), kCount;
    }
    bool setPanLaw(VstInt32 type, float gain) override { return note("setPanLaw", type, gain); }
    VstInt32 beginLoadBank(VstPatchChunkInfo* i) override { return note("beginLoadBank", i), kCount; }
    VstInt32 beginLoadProgram(VstPatchChunkInfo* i) override { return note("beginLoadProgram", i), kCount; }
    bool setProcessPrecision(VstInt32 p) override { return note("setProcessPrecision", p); }
    VstInt32 getNumMidiInputChannels() override { return note("getNumMidiInputChannels"), kCount; }
    VstInt32 getNumMidiOutputChannels() override { return note("getNumMidiOutputChannels"), kCount; }

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
    {effOpen, 3, 5, "open()", 0},
    {effClose, 3, 5, "close()", 0},
    {effSetProgram, 3, 5, "setProgram(5)", 0},
    {effGetProgram, 3, 5, "getProgram()", kCount},
    {effSetProgramName, 3, 5, "setProgramName(P)", 0},
    {effGetProgramName, 3, 5, "getProgramName(P)", 0},
    {effGetParamLabel, 3, 5, "getParameterLabel(3,P)", 0},
    {effGetParamDisplay, 3, 5, "getParameterDisplay(3,P)", 0},
    {effGetParamName, 3, 5, "getParameterName(3,P)", 0},
    {effSetSampleRate, 3, 5, "setSampleRate(2.5)", 0},
    {effSetBlockSize, 3, 5, "setBlockSize(5)", 0},
    {effMainsChanged, 3, 0, "suspend()", 0},
    {effMainsChanged, 3, 5, "resume()", 0},
    {effGetChunk, 3, 5, "getChunk(P,true)", kCount},
    {effGetChunk, 0, 5, "getChunk(P,false)", kCount},
    {effSetChunk, 3, 5, "setChunk(P,5,true)", kCount},
    {effSetChunk, 0, 5, "setChunk(P,5,false)", kCount},
    {effProcessEvents, 3, 5, "processEvents(P)", kCount},
    {effCanBeAutomated, 3, 5, "canParameterBeAutomated(3)", 1},
    {effString2Parameter, 3, 5, "string2parameter(3,P)", 1},
    {effGetProgramNameIndexed, 3, 5, "getProgramNameIndexed(5,3,P)", 1},
    {effGetInputProperties, 3, 5, "getInputProperties(3,P)", 1},
    {effGetOutputProperties, 3, 5, "getOutputProperties(3,P)", 1},
    {effGetPlugCategory, 3, 5, "getPlugCategory()", kCount},
    {effOfflineNotify, 3, 5, "offlineNotify(P,5,true)", 1},
    {effOfflineNotify, 0, 5, "offlineNotify(P,5,false)", 1},
    {effOfflinePrepare, 3, 5, "offlinePrepare(P,5)", 1},
    {effOfflineRun, 3, 5, "offlineRun(P,5)", 1},
    {effProcessVarIo, 3, 5, "processVariableIo(P)", 1},
    {effSetSpeakerArrangement, 3, kValuePointer, "setSpeakerArrangement(V,P)", 1},
    {effSetBypass, 3, 5, "setBypass(true)", 1},
    {effSetBypass, 3, 0, "setBypass(false)", 1},
    {effGetEffectName, 3, 5, "getEffectName(P)", 1},
    {effGetVendorString, 3, 5, "getVendorString(P)", 1},
    {effGetProductString, 3, 5, "getProductString(P)", 1},
    {effGetVendorVersion, 3, 5, "getVendorVersion()", kCount},
    {effVendorSpecific, 3, 5, "vendorSpecific(3,5,P,2.5)", kWide},
    {effCanDo, 3, 5, "canDo(P)", kCount},
    {effGetTailSize, 3, 5, "getGetTailSize()", kCount},
    {effGetParameterProperties, 3, 5, "getParameterProperties(3,P)", 1},
    {effGetVstVersion, 3, 5, "getVstVersion()", kCount},
    {effGetMidiProgramName, 3, 5, "getMidiProgramName(3,P)", kCount},
    {effGetCurrentMidiProgram, 3, 5, "getCurrentMidiProgram(3,P)", kCount},
    {effGetMidiProgramCategory, 3, 5, "getMidiProgramCategory(3,P)", kCount},
    {effHasMidiProgramsChanged, 3, 5, "hasMidiProgramsChanged(3)", 1},
    {effGetMidiKeyName, 3, 5, "getMidiKeyName(3,P)", 1},
    {effBeginSetProgram, 3, 5, "beginSetProgram()", 1},
    {effEndSetProgram, 3, 5, "endSetProgram()", 1},
    {effGetSpeakerArrangement, 3, kValuePointer, "getSpeakerArrangement(V,P)", 1},
    {effShellGetNextPlugin, 3, 5, "getNextShellPlugin(P)", kCount},
    {effStartProcess, 3, 5, "startProcess()", kCount},
    {effStopProcess, 3, 5, "stopProcess()", kCount},
    {effSetTotalSampleToProcess, 3, 5, "setTotalSampleToProcess(5)", kCount},
    {effSetPanLaw, 3, 5, "setPanLaw(5,2.5)", 1},
    {effBeginLoadBank, 3, 5, "beginLoadBank(P)", kCount},
    {effBeginLoadProgram, 3, 5, "beginLoadProgram(P)", kCount},
    {effSetProcessPrecision, 3, 5, "setProcessPrecision(5)", 1},
    {effGetNumMidiInputChannels, 3, 5, "getNumMidiInputChannels()", kCount},
    {effGetNumMidiOutputChannels, 3, 5, "getNumMidiOutputChannels()", kCount},
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

TEST(OpcodeRouting, RequestsWithoutTheirBufferCallNothing)
{
    RoutingEffect effect;
    for (VstInt32 opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
          effGetChunk, effSetChunk, effString2Parameter, effGetProgramNameIndexed, effGetInputProperties,
          effGetOutputProperties, effGetEffectName, effGetVendorString, effGetProductString, effCanDo,
          effGetParameterProperties, effShellGetNextPlugin}) {
        effect.calls.clear();
        EXPECT_EQ(effect.dispatcher(opcode, 3, 5, nullptr, kOpt), 0) << "opcode " << opcode;
        EXPECT_TRUE(effect.calls.empty()) << "opcode " << opcode;
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
