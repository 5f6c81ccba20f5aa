// Text for the host: bounded copies and the numeric formats behind
// AudioEffect's value formatters. Every function here writes at most `limit`
// characters and a terminating zero, never more; a negative limit or a null
// buffer writes nothing.
#pragma once

#include <cstddef>

#include "plugin/AEffect.h"

// Copies at most maxLen characters of src and terminates dst (maxLen + 1 bytes).
char* vst_strncpy(char* dst, const char* src, size_t maxLen);

// Copies source cut to limit characters; the common last step of every format.
void writeLimitedText(char* text, const char* source, VstInt32 limit);

// Decimal digits without leading zeros; "Huge!" from 100000000 up (and for
// negative values whose magnitude reaches 1000000000).
void formatInt(VstInt32 value, char* text, VstInt32 limit);

// Eight characters of sign, digits and point, each digit truncated rather than
// rounded (more only when the integer digits alone need them); "Huge!" beyond
// 99999999 (below -9999999 for negative values).
void formatFloat(float value, char* text, VstInt32 limit);
