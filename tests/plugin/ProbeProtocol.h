// How the tests talk to the probe effect across the shared-object boundary,
// where nothing but the record and the host callback is visible. The probe
// reports what happened to it as host request 35 (vendor specific) with the
// event in index and its argument in value; the tests give it commands
// through opcode 50 (vendor specific) with the command in index.
#pragma once

#include "plugin/AEffect.h"

namespace probe {

constexpr VstInt32 kNumPrograms = 16;
constexpr VstInt32 kNumParams = 7;

enum Event : VstInt32 {
    kOpened = 1000,
    kClosed,
    kSuspended,
    kResumed,
    kEffectDestroyed,
    kEditorDestroyed,
    kEditorOpened,
    kEditorClosed,
    kEditorIdle,
    kKeyDown,
    kKeyUp,
    kKnobMode,
    // Asked while the probe is constructed: an answer of 1 makes it throw.
    kAskFailConstruction,
};

enum Command : VstInt32 {
    kSetFlag = 1, // value: a FlagSetter, opt: the state (non-zero for true)
    kDropEditor, // destroys the editor and detaches it
    kThrow, // throws out of the dispatcher
};

enum FlagSetter : VstInt32 {
    kHasClip,
    kHasVu,
    kCanMono,
    kCanReplacing,
    kProgramChunks,
    kIsSynth,
    kNoTail,
    kAsync,
    kExternalBuffer,
    kCanDoubleReplacing,
};

// A key code as one number: character, virtual key and modifier.
constexpr VstIntPtr packKey(VstInt32 character, unsigned virt, unsigned modifier)
{
    return static_cast<VstIntPtr>(character) * 65536 + static_cast<VstIntPtr>(virt * 256 + modifier);
}

} // namespace probe
