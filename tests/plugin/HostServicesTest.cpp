// The services through which an effect calls its host: the request each one
// sends, what it makes of the answer, and what it answers with no host.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/ProbeEffect.h"
#include "tests/plugin/RecordingHost.h"

namespace {

enum class Treatment {
    Ignored,
    AsIs,
    NonZeroIsTrue,
    OnlyOneIsTrue,
    ZeroIsTrue,
};

char text[64];
VstEvents events;
VstAudioFile audioFile;
VstOfflineTask offlineTask;
VstFileSelect fileSelect;

VstIntPtr asInt(bool value)
{
    return value ? 1 : 0;
}

template <typename T> VstIntPtr asInt(T* pointer)
{
    return reinterpret_cast<VstIntPtr>(pointer);
}

struct Service {
    const char* name;
    std::function<VstIntPtr(ProbeEffect&)> call;
    HostRequest request; // effect left null: the test fills in the record
    Treatment treatment;
    VstIntPtr withoutHost;
};

HostRequest req(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                float opt = 0.0f)
{
    return HostRequest{nullptr, opcode, index, value, ptr, opt};
}

const std::vector<Service>& services()
{
    using T = Treatment;
    static const std::vector<Service> table = {
        {"setParameterAutomated",
         [](ProbeEffect& e) {
             e.setParameterAutomated(2, 0.5f);
             return VstIntPtr(0);
         },
         req(audioMasterAutomate, 2, 0, nullptr, 0.5f), T::Ignored, 0},
        {"isInputConnected", [](ProbeEffect& e) { return asInt(e.__isInputConnectedDeprecated(3)); },
         req(audioMasterPinConnected, 3, 0), T::ZeroIsTrue, 1},
        {"isOutputConnected", [](ProbeEffect& e) { return asInt(e.__isOutputConnectedDeprecated(5)); },
         req(audioMasterPinConnected, 5, 1), T::ZeroIsTrue, 1},
        {"getTimeInfo", [](ProbeEffect& e) { return asInt(e.getTimeInfo(0x200)); },
         req(audioMasterGetTime, 0, 0x200), T::AsIs, 0},
        {"sendVstEventsToHost", [](ProbeEffect& e) { return asInt(e.sendVstEventsToHost(&events)); },
         req(audioMasterProcessEvents, 0, 0, &events), T::OnlyOneIsTrue, 0},
        {"sizeWindow", [](ProbeEffect& e) { return asInt(e.sizeWindow(300, 200)); },
         req(audioMasterSizeWindow, 300, 200), T::NonZeroIsTrue, 0},
        {"offlineStart", [](ProbeEffect& e) { return asInt(e.offlineStart(&audioFile, 3, 2)); },
         req(audioMasterOfflineStart, 2, 3, &audioFile), T::NonZeroIsTrue, 0},
        {"offlineRead",
         [](ProbeEffect& e) { return asInt(e.offlineRead(&offlineTask, kVstOfflinePeaks, true)); },
         req(audioMasterOfflineRead, 1, kVstOfflinePeaks, &offlineTask), T::NonZeroIsTrue, 0},
        {"hostVendorSpecific", [](ProbeEffect& e) { return e.hostVendorSpecific(5, 6, text, 1.5f); },
         req(audioMasterVendorSpecific, 5, 6, text, 1.5f), T::AsIs, 0},
        {"canHostDo", [](ProbeEffect& e) { return asInt(e.canHostDo(text)); },
         req(audioMasterCanDo, 0, 0, text), T::NonZeroIsTrue, 0},
        {"beginEdit", [](ProbeEffect& e) { return asInt(e.beginEdit(4)); }, req(audioMasterBeginEdit, 4),
         T::NonZeroIsTrue, 0},
        {"openFileSelector", [](ProbeEffect& e) { return asInt(e.openFileSelector(&fileSelect)); },
         req(audioMasterOpenFileSelector, 0, 0, &fileSelect), T::NonZeroIsTrue, 0},
    };
    return table;
}

class HostServices : public ::testing::Test {
protected:
    // Calls the service with a host that answers `reply` to everything.
    VstIntPtr callWithAnswer(const Service& service, VstIntPtr reply)
    {
        host.answer = [reply](const HostRequest&) { return reply; };
        host.clear();
        return service.call(effect);
    }

    RecordingHost host;
    ProbeEffect effect{RecordingHost::callback};
};

TEST_F(HostServices, EachSendsOneRequestWithItsFields)
{
    for (const Service& service : services()) {
        host.clear();
        service.call(effect);
        ASSERT_EQ(host.requests.size(), 1u) << service.name;
        const HostRequest& sent = host.requests.front();
        EXPECT_EQ(sent.effect, effect.getAeffect()) << service.name;
        EXPECT_EQ(sent.opcode, service.request.opcode) << service.name;
        EXPECT_EQ(sent.index, service.request.index) << service.name;
        EXPECT_EQ(sent.value, service.request.value) << service.name;
        EXPECT_EQ(sent.ptr, service.request.ptr) << service.name;
        EXPECT_EQ(sent.opt, service.request.opt) << service.name;
    }
}

TEST_F(HostServices, AnswersAreTreatedAsTheirKindSays)
{
    const VstIntPtr big = 0x12345;
    for (const Service& service : services()) {
        const std::string name = service.name;
        switch (service.treatment) {
        case Treatment::Ignored: break;
        case Treatment::AsIs:
            EXPECT_EQ(callWithAnswer(service, big), big) << name;
            EXPECT_EQ(callWithAnswer(service, 0), 0) << name;
            break;
        case Treatment::NonZeroIsTrue:
            EXPECT_EQ(callWithAnswer(service, 0), 0) << name;
            EXPECT_EQ(callWithAnswer(service, 1), 1) << name;
            EXPECT_EQ(callWithAnswer(service, 5), 1) << name;
            EXPECT_EQ(callWithAnswer(service, -1), 1) << name;
            break;
        case Treatment::OnlyOneIsTrue:
            EXPECT_EQ(callWithAnswer(service, 1), 1) << name;
            EXPECT_EQ(callWithAnswer(service, 2), 0) << name;
            EXPECT_EQ(callWithAnswer(service, 0), 0) << name;
            EXPECT_EQ(callWithAnswer(service, -1), 0) << name;
            break;
        case Treatment::ZeroIsTrue:
            EXPECT_EQ(callWithAnswer(service, 0), 1) << name;
            EXPECT_EQ(callWithAnswer(service, 1), 0) << name;
            break;
        }
    }
}

TEST_F(HostServices, WithoutAHostEachAnswersItsDefaultAndSetParameterStillWorks)
{
    ProbeEffect alone(nullptr);
    for (const Service& service : services())
        EXPECT_EQ(service.call(alone), service.withoutHost) << service.name;
    EXPECT_EQ(alone.getParameter(2), 0.5f) << "setParameterAutomated set it";
    EXPECT_EQ(alone.getMasterVersion(), 1);
    EXPECT_EQ(alone.updateSampleRate(), 44100.0f);
    EXPECT_EQ(alone.updateBlockSize(), 1024);
}

TEST_F(HostServices, SetParameterAutomatedSetsTheParameterBeforeTellingTheHost)
{
    host.answer = [this](const HostRequest& r) -> VstIntPtr {
        if (r.opcode == audioMasterAutomate) {
            EXPECT_EQ(effect.getParameter(r.index), r.opt);
        }
        return 0;
    };
    effect.setParameterAutomated(6, 0.125f);
    EXPECT_EQ(effect.getParameter(6), 0.125f);
}

TEST_F(HostServices, MasterVersionTakesZeroForOne)
{
    host.answer = [](const HostRequest&) -> VstIntPtr { return 0; };
    EXPECT_EQ(effect.getMasterVersion(), 1);
    host.answer = [](const HostRequest&) -> VstIntPtr { return 2400; };
    EXPECT_EQ(effect.getMasterVersion(), 2400);
}

TEST_F(HostServices, SampleRateAndBlockSizeFollowOnlyPositiveAnswers)
{
    VstIntPtr reply = 48000;
    host.answer = [&reply](const HostRequest&) { return reply; };
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    reply = 256;
    EXPECT_EQ(effect.updateBlockSize(), 256);
    EXPECT_EQ(effect.getBlockSize(), 256);
    for (VstIntPtr ignored : {VstIntPtr(0), VstIntPtr(-1)}) {
        reply = ignored;
        EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
        EXPECT_EQ(effect.updateBlockSize(), 256);
    }
    host.clear();
    effect.updateSampleRate();
    effect.updateBlockSize();
    ASSERT_EQ(host.requests.size(), 2u);
    EXPECT_EQ(host.requests[0].opcode, audioMasterGetSampleRate);
    EXPECT_EQ(host.requests[1].opcode, audioMasterGetBlockSize);
}

TEST_F(HostServices, FileRequestsWithoutAStructureAreNotSent)
{
    host.answer = [](const HostRequest&) -> VstIntPtr { return 1; };
    host.clear();
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.__getChunkFileDeprecated(nullptr));
    EXPECT_TRUE(host.requests.empty());
}

} // namespace
