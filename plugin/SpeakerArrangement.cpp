#include "plugin/SpeakerArrangement.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "plugin/ValueText.h"

namespace {

constexpr VstInt32 kSpeakerNameLimit = kVstMaxNameLen - 1;

} // namespace

// Speakers are addressed from the start of the block: an arrangement may hold
// more of them than the eight the structure declares.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 channel)
{
    char* first = reinterpret_cast<char*>(arrangement) + offsetof(VstSpeakerArrangement, speakers);
    return reinterpret_cast<VstSpeakerProperties*>(first) + channel;
}

// An arrangement is allocated as one block of bytes, large enough for its
// channels and never smaller than the declared structure, so that every field
// a reader of the structure may touch is owned memory.
bool allocateSpeakerArrangement(VstSpeakerArrangement** arrangement, VstInt32 numChannels)
{
    const size_t header = offsetof(VstSpeakerArrangement, speakers);
    // A count from the host that would wrap the size (possible in a 32-bit
    // build) must not give a small block that claims many channels.
    const size_t maxChannels = (SIZE_MAX - header) / sizeof(VstSpeakerProperties);
    if (!arrangement || numChannels < 0 || static_cast<size_t>(numChannels) > maxChannels)
        return false;
    deallocateSpeakerArrangement(arrangement);
    size_t size = header + static_cast<size_t>(numChannels) * sizeof(VstSpeakerProperties);
    if (size < sizeof(VstSpeakerArrangement))
        size = sizeof(VstSpeakerArrangement);
    char* block = new (std::nothrow) char[size];
    if (!block)
        return false;
    std::memset(block, 0, size);
    *arrangement = reinterpret_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = numChannels;
    return true;
}

bool deallocateSpeakerArrangement(VstSpeakerArrangement** arrangement)
{
    if (arrangement && *arrangement) {
        delete[] reinterpret_cast<char*>(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool copySpeakerProperties(VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (!to || !from)
        return false;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    vst_strncpy(to->name, from->name, kSpeakerNameLimit);
    to->type = from->type;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool matchSpeakerArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (!from)
        return false;
    // Matching an arrangement to itself: freeing the target would free the
    // source before it is read.
    if (to && *to == from)
        return true;
    if (!deallocateSpeakerArrangement(to) || !allocateSpeakerArrangement(to, from->numChannels))
        return false;
    (*to)->type = from->type;
    for (VstInt32 channel = 0; channel < from->numChannels; ++channel)
        if (!copySpeakerProperties(speakerAt(*to, channel), speakerAt(from, channel)))
            return false;
    return true;
}
