// The probe plug-in as a host sees it: loaded with dlopen, found by its entry
// point's name and driven through nothing but the record it returns.
#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/AEffectX.h"
#include "tests/plugin/ProbeProtocol.h"
#include "tests/plugin/RecordingHost.h"

namespace {

typedef AEffect* (*PluginEntry)(audioMasterCallback);

class PluginObject : public ::testing::Test {
protected:
    // Loaded once and kept, as hosts do: each unload of an object that carries
    // its own C++ runtime leaves that runtime's small emergency pool behind.
    static void SetUpTestSuite()
    {
        library = dlopen(PROBE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (library)
            entry = reinterpret_cast<PluginEntry>(dlsym(library, "VSTPluginMain"));
    }

    void SetUp() override
    {
        ASSERT_NE(library, nullptr) << dlerror();
        ASSERT_NE(entry, nullptr);
    }

    void TearDown() override
    {
        if (effect)
            dispatch(effClose);
    }

    void load()
    {
        effect = entry(RecordingHost::callback);
        ASSERT_NE(effect, nullptr);
        host.clear();
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        const VstIntPtr result = effect->dispatcher(effect, opcode, index, value, ptr, opt);
        if (opcode == effClose)
            effect = nullptr;
        return result;
    }

    VstIntPtr command(probe::Command which, VstIntPtr argument = 0, float opt = 0.0f)
    {
        return dispatch(effVendorSpecific, which, argument, nullptr, opt);
    }

    static inline void* library = nullptr;
    static inline PluginEntry entry = nullptr;
    RecordingHost host;
    AEffect* effect = nullptr;
};

TEST_F(PluginObject, ExportsOnlyTheEntryPoint)
{
    const std::string command = std::string("nm -D --defined-only '") + PROBE_PLUGIN_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof(line), pipe)) {
        char address[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3)
            names.push_back(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names, std::vector<std::string>{"VSTPluginMain"});
}

TEST_F(PluginObject, EntryPointAsksForTheHostVersionFirstAndWithoutARecord)
{
    effect = entry(RecordingHost::callback);
    ASSERT_NE(effect, nullptr);
    ASSERT_FALSE(host.requests.empty());
    const HostRequest& first = host.requests.front();
    EXPECT_EQ(first.opcode, audioMasterVersion);
    EXPECT_EQ(first.effect, nullptr);
    for (size_t i = 1; i < host.requests.size(); ++i)
        EXPECT_EQ(host.requests[i].effect, effect) << "later requests name the record";
}

TEST_F(PluginObject, EntryPointGivesNoEffectWhenItCannotOrShouldNot)
{
    EXPECT_EQ(entry(nullptr), nullptr);
    EXPECT_TRUE(host.requests.empty());

    host.answer = [](const HostRequest&) -> VstIntPtr { return 0; };
    EXPECT_EQ(entry(RecordingHost::callback), nullptr);
    ASSERT_EQ(host.requests.size(), 1u) << "nothing is built after a zero version";

    // A construction that throws (here out of memory) must not reach the host.
    host.answer = [](const HostRequest& r) -> VstIntPtr {
        if (r.opcode == audioMasterVersion)
            return RecordingHost::kVersion;
        return r.opcode == audioMasterVendorSpecific && r.index == probe::kAskFailConstruction;
    };
    EXPECT_EQ(entry(RecordingHost::callback), nullptr);
}

TEST_F(PluginObject, EachCallBuildsAnIndependentInstance)
{
    load();
    AEffect* second = entry(RecordingHost::callback);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, effect);
    EXPECT_NE(second->object, effect->object);
    second->setParameter(second, 0, 0.75f);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    EXPECT_EQ(second->getParameter(second, 0), 0.75f);
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(PluginObject, RecordHoldsTheBaseValues)
{
    load();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsHasEditor);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->uniqueID, 0x4E6F4566); // 'NoEf'
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    for (char byte : effect->future)
        EXPECT_EQ(byte, 0);
}

TEST_F(PluginObject, FlagSettersChangeOnlyTheirOwnBit)
{
    load();
    const struct {
        probe::FlagSetter setter;
        VstInt32 bit;
    } setters[] = {
        {probe::kHasClip, 0x2},          {probe::kHasVu, 0x4},
        {probe::kCanMono, 0x8},          {probe::kCanReplacing, 0x10},
        {probe::kProgramChunks, 0x20},   {probe::kIsSynth, 0x100},
        {probe::kNoTail, 0x200},         {probe::kAsync, 0x400},
        {probe::kExternalBuffer, 0x800}, {probe::kCanDoubleReplacing, 0x1000},
    };
    for (const auto& s : setters) {
        const VstInt32 before = effect->flags;
        command(probe::kSetFlag, s.setter, 1.0f);
        EXPECT_EQ(effect->flags, before | s.bit) << "setter " << s.setter;
        command(probe::kSetFlag, s.setter, 1.0f);
        EXPECT_EQ(effect->flags, before | s.bit) << "setting twice";
        command(probe::kSetFlag, s.setter, 0.0f);
        EXPECT_EQ(effect->flags, before & ~s.bit) << "setter " << s.setter;
        command(probe::kSetFlag, s.setter, (before & s.bit) ? 1.0f : 0.0f);
    }
    command(probe::kSetFlag, probe::kNoTail, 1.0f);
    command(probe::kDropEditor);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsNoSoundInStop);
}

TEST_F(PluginObject, FixedAnswersOfTheBase)
{
    load();
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetCurrentMidiProgram, 0, 0, nullptr), -1);
    for (VstInt32 index : {0, 6, 7, -1, 1000})
        EXPECT_EQ(dispatch(effCanBeAutomated, index), 1) << index;
    for (const char* capability :
         {"bypass", "receiveVstMidiEvent", "receiveVstEvents", "offline", "", "anything else"}) {
        std::vector<char> text(capability, capability + std::strlen(capability) + 1);
        EXPECT_EQ(dispatch(effCanDo, 0, 0, text.data()), 0) << capability;
    }
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategUnknown);
    EXPECT_EQ(dispatch(effGetTailSize), 0);
    EXPECT_EQ(dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(dispatch(effGetVendorVersion), 0);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 512), 512);
    EXPECT_EQ(dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_TRUE(host.events().empty()) << "fixed answers call nothing";

    command(probe::kSetFlag, probe::kIsSynth, 1.0f);
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(PluginObject, DeprecatedAndUnknownOpcodesAnswerZeroAndCallNothing)
{
    load();
    std::vector<VstInt32> opcodes = {
        80, 81, 1000, -1, -1000, std::numeric_limits<VstInt32>::min(), std::numeric_limits<VstInt32>::max()};
    opcodes.insert(opcodes.end(),
                   {effGetVu, effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep,
                    effGetNumProgramCategories, effCopyProgram, effConnectInput, effConnectOutput,
                    effGetCurrentPosition, effGetDestinationBuffer, effSetBlockSizeAndSampleRate,
                    effGetErrorText, effIdle, effGetIcon, effSetViewPosition, effKeysRequired});
    char buffer[256] = "untouched";
    for (VstInt32 opcode : opcodes) {
        EXPECT_EQ(dispatch(opcode, 1, 1, buffer, 1.0f), 0) << "opcode " << opcode;
        EXPECT_STREQ(buffer, "untouched") << "opcode " << opcode;
    }
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsHasEditor);
}

TEST_F(PluginObject, BaseTextAndStructureOperations)
{
    load();
    char text[64];
    for (VstInt32 opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        std::memset(text, 'x', sizeof(text));
        EXPECT_EQ(dispatch(opcode, 0, 0, text), 0);
        EXPECT_EQ(text[0], '\0') << "opcode " << opcode << " writes an empty text";
        EXPECT_EQ(text[1], 'x');
    }

    VstSpeakerArrangement arrangement{};
    VstSpeakerArrangement* in = &arrangement;
    VstSpeakerArrangement* out = &arrangement;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(PluginObject, MissingBuffersAreRefusedInsteadOfWrittenThrough)
{
    load();
    for (VstInt32 opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
          effEditGetRect, effGetChunk, effString2Parameter, effGetProgramNameIndexed, effGetInputProperties,
          effGetOutputProperties, effGetEffectName, effGetVendorString, effGetProductString, effCanDo,
          effGetParameterProperties, effShellGetNextPlugin, effGetSpeakerArrangement})
        EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
    EXPECT_TRUE(host.events().empty());
}

TEST_F(PluginObject, MainsChangedSuspendsOrResumes)
{
    load();
    EXPECT_EQ(dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(host.eventCodes(), std::vector<VstInt32>{probe::kSuspended});
    for (VstIntPtr on : {1, 7, -1}) {
        host.clear();
        EXPECT_EQ(dispatch(effMainsChanged, 0, on), 0);
        EXPECT_EQ(host.eventCodes(), std::vector<VstInt32>{probe::kResumed}) << on;
    }
}

TEST_F(PluginObject, SetProgramStaysWithinTheBank)
{
    load();
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(dispatch(effSetProgram, 0, 15), 0);
    EXPECT_EQ(dispatch(effGetProgram), 15);
    const VstIntPtr outside[] = {16, -1, 1000, std::numeric_limits<VstInt32>::min()};
    for (VstIntPtr value : outside) {
        EXPECT_EQ(dispatch(effSetProgram, 0, value), 0);
        EXPECT_EQ(dispatch(effGetProgram), 15) << value;
    }
    if (sizeof(VstIntPtr) == 8) {
        // A 64-bit value whose low half is a valid program is still outside.
        const VstIntPtr wide = static_cast<VstIntPtr>((static_cast<int64_t>(1) << 32) | 3);
        dispatch(effSetProgram, 0, wide);
        EXPECT_EQ(dispatch(effGetProgram), 15);
    }
    EXPECT_EQ(dispatch(effSetProgram, 0, 0), 0);
    EXPECT_EQ(dispatch(effGetProgram), 0);
}

TEST_F(PluginObject, EditorOpcodesReachTheEditor)
{
    load();
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->bottom, 240);
    EXPECT_EQ(rect->right, 320);

    int window = 0;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 1), 1);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 0), 0);
    EXPECT_EQ(host.eventCodes(),
              (std::vector<VstInt32>{probe::kEditorOpened, probe::kEditorIdle, probe::kEditorClosed,
                                     probe::kKnobMode, probe::kKnobMode}));
}

TEST_F(PluginObject, KeyRequestsArePackedIntoAKeyCode)
{
    load();
    EXPECT_EQ(dispatch(effEditKeyDown, 65, 0x0103, nullptr, 2.9f), 1);
    EXPECT_EQ(dispatch(effEditKeyUp, 65, 0x0103, nullptr, 2.9f), 0);
    // Truncation toward zero, then the low byte.
    dispatch(effEditKeyDown, -7, 0x7FFF, nullptr, -2.9f);
    dispatch(effEditKeyDown, 0, 0, nullptr, 258.5f);
    dispatch(effEditKeyDown, 0, 0, nullptr, std::nanf(""));
    dispatch(effEditKeyDown, 0, 0, nullptr, 1e20f);
    const std::vector<std::pair<VstInt32, VstIntPtr>> expected = {
        {probe::kKeyDown, probe::packKey(65, 3, 2)},       {probe::kKeyUp, probe::packKey(65, 3, 2)},
        {probe::kKeyDown, probe::packKey(-7, 0xFF, 0xFE)}, {probe::kKeyDown, probe::packKey(0, 0, 2)},
        {probe::kKeyDown, probe::packKey(0, 0, 0)},        {probe::kKeyDown, probe::packKey(0, 0, 0)},
    };
    EXPECT_EQ(host.events(), expected);
}

TEST_F(PluginObject, EditorOpcodesWithoutAnEditorAnswerZero)
{
    load();
    command(probe::kDropEditor);
    EXPECT_EQ(host.eventCodes(), std::vector<VstInt32>{probe::kEditorDestroyed});
    host.clear();
    ERect* rect = reinterpret_cast<ERect*>(&host);
    int window = 0;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(&host)) << "nothing writes the rect";
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 65, 3, nullptr, 2.0f), 0);
    EXPECT_EQ(dispatch(effEditKeyUp, 65, 3, nullptr, 2.0f), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 1), 0);
    EXPECT_TRUE(host.requests.empty());
}

TEST_F(PluginObject, OpenThenCloseRunsCloseThenDestroysEffectAndEditor)
{
    load();
    EXPECT_EQ(dispatch(effOpen), 0);
    EXPECT_EQ(dispatch(effClose), 1);
    EXPECT_EQ(host.eventCodes(),
              (std::vector<VstInt32>{probe::kOpened, probe::kClosed, probe::kEffectDestroyed,
                                     probe::kEditorDestroyed}));
}

TEST_F(PluginObject, ExceptionsStopAtTheRecord)
{
    load();
    EXPECT_EQ(command(probe::kThrow), 0);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400) << "still usable";
}

TEST_F(PluginObject, ProcessEntries)
{
    load();
    float input[] = {1, 2, 3, 4}, left[] = {9, 9, 9, 9}, right[] = {9, 9, 9, 9};
    float* inputs[] = {input};
    float* outputs[] = {left, right};
    auto samples = [](const auto* channel) { return std::vector<double>(channel, channel + 4); };

    // The accumulating and double entries have no effect behind them in the
    // base: their outputs stay untouched.
    effect->process(effect, inputs, outputs, 4);
    EXPECT_EQ(samples(left), std::vector<double>(4, 9.0));
    EXPECT_EQ(samples(right), std::vector<double>(4, 9.0));
    double dInput[] = {1, 2, 3, 4}, dOutput[] = {7, 7, 7, 7};
    double* dInputs[] = {dInput};
    double* dOutputs[] = {dOutput, dOutput};
    effect->processDoubleReplacing(effect, dInputs, dOutputs, 4);
    EXPECT_EQ(samples(dOutput), std::vector<double>(4, 7.0));

    effect->processReplacing(effect, inputs, outputs, 4);
    EXPECT_EQ(samples(left), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(samples(right), (std::vector<double>{2, 4, 6, 8}));
}

} // namespace
