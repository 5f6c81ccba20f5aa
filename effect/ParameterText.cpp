#include "effect/ParameterText.h"

#include "effect/ParameterTable.h"
#include "plugin/ValueText.h"

#include <cstdio>

namespace {

const char kOff[] = "off";
// float2string limits that give two decimals for one integer digit.
constexpr VstInt32 kPositiveDigits = 4;
constexpr VstInt32 kNegativeDigits = 5;

void formatMetres(float metres, char* text)
{
    formatFloat(metres, text, metres >= 0.0f ? kPositiveDigits : kNegativeDigits);
}

} // namespace

void ParameterText::format(int index, float quantity, char* text)
{
    if (!ParameterTable::isValidIndex(index))
        return;
    switch (ParameterTable::info(index).text) {
    case ValueText::Degrees:
        std::snprintf(text, ParameterTable::kMaxValueTextLength + 1, "%d", ParameterTable::roundedDegrees(quantity));
        break;
    case ValueText::Metres: formatMetres(quantity, text); break;
    case ValueText::MetresOrOff:
        if (quantity == ParameterTable::kOffSentinel)
            writeLimitedText(text, kOff, ParameterTable::kMaxValueTextLength);
        else
            formatMetres(quantity, text);
        break;
    }
}
