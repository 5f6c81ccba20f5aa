#pragma once

#include "effect/ParameterTable.h"

// One stored program: a normalised value per parameter and a name.
class NelAmbiEncProgram {
public:
    static constexpr int kNameSize = 24; // 23 characters and the terminator

    // Source straight ahead at the 4 m edge, far, compensation off; "Init".
    NelAmbiEncProgram();

    // Stores `text` cut to 23 characters.
    void setName(const char* text);

    float values[ParameterTable::kCount];
    char name[kNameSize];
};
