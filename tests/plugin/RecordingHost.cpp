#include "tests/plugin/RecordingHost.h"

#include "tests/plugin/ProbeProtocol.h"

namespace {
RecordingHost* activeHost = nullptr;
}

RecordingHost::RecordingHost()
{
    activeHost = this;
}

RecordingHost::~RecordingHost()
{
    if (activeHost == this)
        activeHost = nullptr;
}

VstIntPtr RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt)
{
    if (!activeHost)
        return 0;
    const HostRequest request{effect, opcode, index, value, ptr, opt};
    activeHost->requests.push_back(request);
    if (activeHost->answer)
        return activeHost->answer(request);
    return opcode == audioMasterVersion ? kVersion : 0;
}

std::vector<std::pair<VstInt32, VstIntPtr>> RecordingHost::events() const
{
    std::vector<std::pair<VstInt32, VstIntPtr>> result;
    for (const HostRequest& request : requests)
        if (request.opcode == audioMasterVendorSpecific && request.index >= probe::kOpened)
            result.emplace_back(request.index, request.value);
    return result;
}

std::vector<VstInt32> RecordingHost::eventCodes() const
{
    std::vector<VstInt32> codes;
    for (const auto& event : events())
        codes.push_back(event.first);
    return codes;
}
