#include "effect/NelAmbiEncProgram.h"

#include <cstring>

namespace {
// Azimuth 0, elevation 0, x 4 m, y 0, z 0, distance 4 m (far), compensation off.
constexpr float kInitialValues[ParameterTable::kCount] = {0.0f, 0.5f, 1.0f, 0.5f, 0.5f, 0.0f, 1.0f};
const char kInitialName[] = "Init";
} // namespace

NelAmbiEncProgram::NelAmbiEncProgram()
{
    std::memcpy(values, kInitialValues, sizeof values);
    setName(kInitialName);
}

void NelAmbiEncProgram::setName(const char* text)
{
    std::strncpy(name, text, kNameSize - 1);
    name[kNameSize - 1] = '\0';
}
