// The interface structures must match what hosts compiled elsewhere expect,
// byte for byte. These checks pin the sizes and field offsets for the 64-bit
// and the 32-bit x86 ABI; a change that moves a field fails the build.
// 32-bit Windows aligns a double in a structure to 8 bytes where 32-bit
// Linux aligns it to 4; the two offline structures whose doubles that moves
// have a column for it.
#include <cstddef>
#include <cstdint>

#include "plugin/AEffectX.h"

#define VST_LAYOUT(type, size64, size32)                                                                     \
    static_assert(sizeof(type) == (kIs64Bit ? (size64) : (size32)), "size of " #type)
#define VST_OFFSET(type, field, offset64, offset32)                                                          \
    static_assert(offsetof(type, field) == (kIs64Bit ? (offset64) : (offset32)),                             \
                  "offset of " #type "::" #field)

// The same with the 32-bit Windows layout as well.
#define VST_LAYOUT_W(type, size64, size32, sizeWin32)                                                        \
    static_assert(sizeof(type) == (kIs64Bit ? (size64) : kIsWin32 ? (sizeWin32) : (size32)), "size of " #type)
#define VST_OFFSET_W(type, field, offset64, offset32, offsetWin32)                                           \
    static_assert(offsetof(type, field) == (kIs64Bit ? (offset64) : kIsWin32 ? (offsetWin32) : (offset32)),  \
                  "offset of " #type "::" #field)

namespace {

constexpr bool kIs64Bit = sizeof(void*) == 8;
#ifdef _WIN32
constexpr bool kIsWin32 = !kIs64Bit;
#else
constexpr bool kIsWin32 = false;
#endif
static_assert(sizeof(void*) == 8 || sizeof(void*) == 4, "a 32- or 64-bit build");
static_assert(sizeof(VstIntPtr) == sizeof(void*), "VstIntPtr holds a pointer");

VST_LAYOUT(AEffect, 192, 144);
VST_OFFSET(AEffect, magic, 0, 0);
VST_OFFSET(AEffect, dispatcher, 8, 4);
VST_OFFSET(AEffect, process, 16, 8);
VST_OFFSET(AEffect, setParameter, 24, 12);
VST_OFFSET(AEffect, getParameter, 32, 16);
VST_OFFSET(AEffect, numPrograms, 40, 20);
VST_OFFSET(AEffect, numParams, 44, 24);
VST_OFFSET(AEffect, numInputs, 48, 28);
VST_OFFSET(AEffect, numOutputs, 52, 32);
VST_OFFSET(AEffect, flags, 56, 36);
VST_OFFSET(AEffect, resvd1, 64, 40);
VST_OFFSET(AEffect, resvd2, 72, 44);
VST_OFFSET(AEffect, initialDelay, 80, 48);
VST_OFFSET(AEffect, realQualities, 84, 52);
VST_OFFSET(AEffect, offQualities, 88, 56);
VST_OFFSET(AEffect, ioRatio, 92, 60);
VST_OFFSET(AEffect, object, 96, 64);
VST_OFFSET(AEffect, user, 104, 68);
VST_OFFSET(AEffect, uniqueID, 112, 72);
VST_OFFSET(AEffect, version, 116, 76);
VST_OFFSET(AEffect, processReplacing, 120, 80);
VST_OFFSET(AEffect, processDoubleReplacing, 128, 84);
VST_OFFSET(AEffect, future, 136, 88);

VST_LAYOUT(ERect, 8, 8);
VST_OFFSET(ERect, top, 0, 0);
VST_OFFSET(ERect, left, 2, 2);
VST_OFFSET(ERect, bottom, 4, 4);
VST_OFFSET(ERect, right, 6, 6);

VST_LAYOUT(VstEvent, 32, 32);
VST_LAYOUT(VstMidiEvent, 32, 32);
VST_OFFSET(VstMidiEvent, midiData, 24, 24);
VST_OFFSET(VstMidiEvent, detune, 28, 28);
VST_LAYOUT(VstEvents, 32, 16);
VST_OFFSET(VstEvents, reserved, 8, 4);
VST_OFFSET(VstEvents, events, 16, 8);

VST_LAYOUT(VstTimeInfo, 88, 88);
VST_OFFSET(VstTimeInfo, cycleEndPos, 56, 56);
VST_OFFSET(VstTimeInfo, timeSigNumerator, 64, 64);
VST_OFFSET(VstTimeInfo, flags, 84, 84);

VST_LAYOUT(VstVariableIo, 40, 24);
VST_OFFSET(VstVariableIo, numSamplesInput, 16, 8);
VST_OFFSET(VstVariableIo, numSamplesOutput, 20, 12);
VST_OFFSET(VstVariableIo, numSamplesInputProcessed, 24, 16);
VST_OFFSET(VstVariableIo, numSamplesOutputProcessed, 32, 20);

VST_LAYOUT(VstParameterProperties, 152, 152);
VST_OFFSET(VstParameterProperties, label, 12, 12);
VST_OFFSET(VstParameterProperties, flags, 76, 76);
VST_OFFSET(VstParameterProperties, largeStepInteger, 92, 92);
VST_OFFSET(VstParameterProperties, shortLabel, 96, 96);
VST_OFFSET(VstParameterProperties, displayIndex, 104, 104);
VST_OFFSET(VstParameterProperties, reserved, 110, 110);
VST_OFFSET(VstParameterProperties, categoryLabel, 112, 112);
VST_OFFSET(VstParameterProperties, future, 136, 136);

VST_LAYOUT(VstPinProperties, 128, 128);
VST_OFFSET(VstPinProperties, flags, 64, 64);
VST_OFFSET(VstPinProperties, arrangementType, 68, 68);
VST_OFFSET(VstPinProperties, shortLabel, 72, 72);
VST_OFFSET(VstPinProperties, future, 80, 80);

VST_LAYOUT(MidiProgramName, 80, 80);
VST_OFFSET(MidiProgramName, name, 4, 4);
VST_OFFSET(MidiProgramName, midiProgram, 68, 68);
VST_OFFSET(MidiProgramName, parentCategoryIndex, 72, 72);
VST_OFFSET(MidiProgramName, flags, 76, 76);
VST_LAYOUT(MidiProgramCategory, 76, 76);
VST_OFFSET(MidiProgramCategory, parentCategoryIndex, 68, 68);
VST_LAYOUT(MidiKeyName, 80, 80);
VST_OFFSET(MidiKeyName, keyName, 8, 8);
VST_OFFSET(MidiKeyName, reserved, 72, 72);

VST_LAYOUT(VstSpeakerProperties, 112, 112);
VST_OFFSET(VstSpeakerProperties, name, 16, 16);
VST_OFFSET(VstSpeakerProperties, type, 80, 80);
VST_OFFSET(VstSpeakerProperties, future, 84, 84);
VST_LAYOUT(VstSpeakerArrangement, 904, 904);
VST_OFFSET(VstSpeakerArrangement, numChannels, 4, 4);
VST_OFFSET(VstSpeakerArrangement, speakers, 8, 8);

VST_LAYOUT(VstKeyCode, 8, 8);
VST_OFFSET(VstKeyCode, virt, 4, 4);
VST_OFFSET(VstKeyCode, modifier, 5, 5);

VST_LAYOUT(VstPatchChunkInfo, 64, 64);
VST_OFFSET(VstPatchChunkInfo, numElements, 12, 12);
VST_OFFSET(VstPatchChunkInfo, future, 16, 16);

VST_LAYOUT(VstFileType, 408, 408);
VST_LAYOUT(VstFileSelect, 1216, 1184);
VST_OFFSET(VstFileSelect, fileTypes, 16, 16);
VST_OFFSET(VstFileSelect, title, 24, 20);
VST_OFFSET(VstFileSelect, initialPath, 1048, 1044);
VST_OFFSET(VstFileSelect, returnPath, 1056, 1048);
VST_OFFSET(VstFileSelect, sizeReturnPath, 1064, 1052);
VST_OFFSET(VstFileSelect, returnMultiplePaths, 1072, 1056);
VST_OFFSET(VstFileSelect, nbReturnPath, 1080, 1060);
VST_OFFSET(VstFileSelect, reserved, 1088, 1064);
VST_OFFSET(VstFileSelect, future, 1096, 1068);

VST_LAYOUT_W(VstAudioFile, 296, 272, 288);
VST_OFFSET_W(VstAudioFile, hostOwned, 8, 4, 4);
VST_OFFSET_W(VstAudioFile, name, 24, 12, 12);
VST_OFFSET_W(VstAudioFile, uniqueId, 124, 112, 112);
VST_OFFSET_W(VstAudioFile, sampleRate, 128, 116, 120);
VST_OFFSET_W(VstAudioFile, numSampleFrames, 144, 128, 136);
VST_OFFSET_W(VstAudioFile, editCursorPosition, 160, 140, 152);
VST_OFFSET_W(VstAudioFile, numMarkers, 188, 168, 180);
VST_OFFSET_W(VstAudioFile, timeRulerOffset, 200, 176, 192);
VST_OFFSET_W(VstAudioFile, smpteFrameRate, 228, 204, 220);
VST_OFFSET_W(VstAudioFile, future, 232, 208, 224);

VST_LAYOUT_W(VstOfflineTask, 1896, 1876, 1880);
VST_OFFSET_W(VstOfflineTask, readPosition, 96, 96, 96);
VST_OFFSET_W(VstOfflineTask, inputBuffer, 128, 128, 128);
VST_OFFSET_W(VstOfflineTask, outputBuffer, 136, 132, 132);
VST_OFFSET_W(VstOfflineTask, positionToProcessFrom, 144, 136, 136);
VST_OFFSET_W(VstOfflineTask, extraBuffer, 168, 160, 160);
VST_OFFSET_W(VstOfflineTask, value, 176, 164, 164);
VST_OFFSET_W(VstOfflineTask, numFramesInSourceFile, 184, 172, 176);
VST_OFFSET_W(VstOfflineTask, numSourceChannels, 208, 196, 200);
VST_OFFSET_W(VstOfflineTask, outputText, 224, 212, 216);
VST_OFFSET_W(VstOfflineTask, progress, 736, 724, 728);
VST_OFFSET_W(VstOfflineTask, progressText, 748, 736, 740);
VST_OFFSET_W(VstOfflineTask, hostOwned, 856, 844, 848);
VST_OFFSET_W(VstOfflineTask, future, 872, 852, 856);

} // namespace
