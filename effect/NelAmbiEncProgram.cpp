#include "effect/NelAmbiEncProgram.h"

#include <cstring>

namespace {
const char kInitialName[] = "Init";
} // namespace

NelAmbiEncProgram::NelAmbiEncProgram()
{
    for (int i = 0; i < ParameterTable::kCount; ++i)
        values[i] = ParameterTable::info(i).initialValue;
    setName(kInitialName);
}

void NelAmbiEncProgram::setName(const char* text)
{
    std::strncpy(name, text, kNameSize - 1);
    name[kNameSize - 1] = '\0';
}
