// Speaker arrangements as blocks of memory: a VstSpeakerArrangement declares
// eight speakers but may carry any number, so these helpers size, free and
// copy it by its channel count. AudioEffectX's arrangement calls use them.
#pragma once

#include "plugin/AEffectX.h"

// Replaces *arrangement (freeing the one held) with a zeroed block for
// numChannels speakers. False, with *arrangement untouched, for a null
// pointer, a negative count, a count whose size would wrap, or no memory.
bool allocateSpeakerArrangement(VstSpeakerArrangement** arrangement, VstInt32 numChannels);
// Frees *arrangement, if any, and clears the pointer. Always true.
bool deallocateSpeakerArrangement(VstSpeakerArrangement** arrangement);
// Copies every field of one speaker; the name stays terminated.
bool copySpeakerProperties(VstSpeakerProperties* to, VstSpeakerProperties* from);
// The properties of one speaker, addressed from the start of the block (any
// channel the arrangement was allocated for, the ninth and on included).
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 channel);
// Makes *to a copy of from, with all of from's speakers.
bool matchSpeakerArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);
