// Drives the plug-in's effect record with arbitrary host requests, the way a
// careless or hostile host might: any opcode from -1 to 100 with any index,
// value and opt, parameter writes and reads of any index and value, and
// process calls of any size up to the block size. Checks that no text
// request writes past what hosts allow and that outputs stay finite whenever
// the input is.

#include "plugin/AEffectX.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback) noexcept;

namespace {

constexpr size_t kTextBuffer = 256; // what hosts give
constexpr size_t kLongestText = 64; // the pin labels' limit, terminator included
constexpr size_t kLongestValueText = 9; // eight characters and the terminator
constexpr int kMaxFrames = 1024;
// Seven for the FuMa plug-in, sixteen for the AmbiX one: the build makes a
// fuzzer for each.
#ifndef VELMORA_FUZZ_OUTPUTS
#define VELMORA_FUZZ_OUTPUTS 7
#endif
constexpr int kOutputs = VELMORA_FUZZ_OUTPUTS;
constexpr unsigned char kUntouched = 0xA5;

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : at(data), left(size) {}
    bool empty() const { return left == 0; }
    template <typename T> T take()
    {
        T value{};
        const size_t n = left < sizeof value ? left : sizeof value;
        std::memcpy(&value, at, n);
        at += n;
        left -= n;
        return value;
    }

private:
    const uint8_t* at;
    size_t left;
};

const float kInterestingValues[] = {0.0f,
                                    1.0f,
                                    0.5f,
                                    -0.0f,
                                    0.25f,
                                    0.75f,
                                    1e-30f,
                                    -1.0f,
                                    2.0f,
                                    1e6f,
                                    -1e6f,
                                    3e38f,
                                    std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    0.142857f,
                                    0.9999999f};

float takeValue(Bytes& in)
{
    const uint8_t choice = in.take<uint8_t>();
    if (choice < 128)
        return kInterestingValues[choice % (sizeof kInterestingValues / sizeof kInterestingValues[0])];
    if (choice < 192)
        return static_cast<float>(in.take<int16_t>()) / 8192.0f;
    return in.take<float>();
}

bool isTextRequest(VstInt32 opcode)
{
    switch (opcode) {
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effGetProgramNameIndexed:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
    case effShellGetNextPlugin: return true;
    default: return false;
    }
}

size_t bytesWritten(const unsigned char* buffer)
{
    size_t last = 0;
    for (size_t i = 0; i < kTextBuffer; ++i)
        if (buffer[i] != kUntouched)
            last = i + 1;
    return last;
}

class Session {
public:
    Session() { start(); }
    ~Session()
    {
        if (effect != nullptr)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    void request(Bytes& in)
    {
        const VstInt32 opcode = static_cast<VstInt32>(in.take<uint8_t>() % 102) - 1;
        const VstInt32 index =
            in.take<uint8_t>() < 200 ? static_cast<int8_t>(in.take<uint8_t>()) : in.take<VstInt32>();
        VstIntPtr value =
            in.take<uint8_t>() < 200 ? static_cast<int8_t>(in.take<uint8_t>()) : in.take<VstIntPtr>();
        const float opt = takeValue(in);

        alignas(16) unsigned char buffer[kTextBuffer];
        alignas(16) unsigned char second[kTextBuffer];
        std::memset(buffer, kUntouched, sizeof buffer);
        std::memset(second, 0, sizeof second);
        // Texts a host hands in (program names, capability questions) are terminated.
        const uint8_t textLength = in.take<uint8_t>();
        for (size_t i = 0; i < textLength % kTextBuffer; ++i)
            second[i] = static_cast<unsigned char>(in.take<uint8_t>() | 1);
        void* ptr = buffer;
        if (opcode == effSetProgramName || opcode == effCanDo || opcode == effString2Parameter)
            ptr = second;
        // These two take a pointer in value as well.
        if (opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement)
            value = reinterpret_cast<VstIntPtr>(second);
        if (opcode == effEditOpen)
            ptr = nullptr; // no parent window to give

        effect->dispatcher(effect, opcode, index, value, ptr, opt);
        if (opcode == effClose) {
            effect = nullptr; // the record went with the effect
            start();
            return;
        }
        if (isTextRequest(opcode) && bytesWritten(buffer) > kLongestText)
            std::abort();
        if (opcode == effGetParamDisplay && bytesWritten(buffer) > kLongestValueText)
            std::abort();
        if ((opcode == effGetInputProperties || opcode == effGetOutputProperties) &&
            std::memchr(buffer, 0, kLongestText) == nullptr && buffer[0] != kUntouched)
            std::abort();
    }

    void parameter(Bytes& in)
    {
        const VstInt32 index = static_cast<int8_t>(in.take<uint8_t>()) % 10;
        if (in.take<uint8_t>() & 1) {
            effect->setParameter(effect, index, takeValue(in));
        } else if (!std::isfinite(effect->getParameter(effect, index))) {
            std::abort();
        }
    }

    void process(Bytes& in)
    {
        const int frames = in.take<uint16_t>() % (kMaxFrames + 1);
        const uint8_t kind = in.take<uint8_t>();
        const bool finiteInput = kind % 16 != 0;
        for (int i = 0; i < frames; ++i)
            input[i] = static_cast<float>(static_cast<int8_t>(in.take<uint8_t>())) / 128.0f;
        if (!finiteInput && frames > 0)
            input[frames / 2] = (kind & 16) ? std::numeric_limits<float>::quiet_NaN()
                                            : std::numeric_limits<float>::infinity();
        float* inputs[] = {input};
        float* outs[kOutputs];
        for (int c = 0; c < kOutputs; ++c) {
            outs[c] = outputs[c];
            for (int i = 0; i < frames; ++i)
                outputs[c][i] = 1234.5f; // the accumulating entry must overwrite this too
        }
        if (kind & 32)
            effect->process(effect, inputs, outs, frames);
        else
            effect->processReplacing(effect, inputs, outs, frames);
        if (!finiteInput)
            return;
        for (int c = 0; c < kOutputs; ++c)
            for (int i = 0; i < frames; ++i)
                if (!std::isfinite(outputs[c][i]))
                    std::abort();
    }

private:
    void start()
    {
        effect = VSTPluginMain(host);
        if (effect == nullptr || effect->numOutputs != kOutputs)
            std::abort();
    }

    AEffect* effect = nullptr;
    float input[kMaxFrames];
    float outputs[kOutputs][kMaxFrames];
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    Session session;
    while (!in.empty()) {
        switch (in.take<uint8_t>() % 3) {
        case 0: session.request(in); break;
        case 1: session.parameter(in); break;
        default: session.process(in); break;
        }
    }
    return 0;
}
