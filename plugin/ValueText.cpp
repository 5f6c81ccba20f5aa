#include "plugin/ValueText.h"

#include <cmath>
#include <cstring>

namespace {

constexpr const char* kHugeText = "Huge!";
constexpr const char* kNotANumberText = "NaN";

// The float format fills this many characters: sign, digits and point.
constexpr int kFloatWidth = 8;
constexpr double kLargestPositive = 99999999.0;
constexpr double kLargestNegativeMagnitude = 9999999.0;

constexpr VstInt64 kIntHugeFrom = 100000000;
constexpr VstInt64 kIntTopPower = 100000000;
// Nine digit positions hold magnitudes below this; larger negative values
// would need a tenth one.
constexpr VstInt64 kIntMagnitudeLimit = 1000000000;

char digitChar(double value)
{
    // Callers pass fmod(.., 10) of a non-negative number: 0 <= value < 10.
    return static_cast<char>('0' + static_cast<int>(value));
}

} // namespace

char* vst_strncpy(char* dst, const char* src, size_t maxLen)
{
    if (!dst)
        return dst;
    size_t length = 0;
    if (src)
        while (length < maxLen && src[length] != '\0')
            ++length;
    if (length > 0)
        std::memcpy(dst, src, length);
    dst[length] = '\0';
    return dst;
}

void writeLimitedText(char* text, const char* source, VstInt32 limit)
{
    if (!text || limit < 0)
        return;
    vst_strncpy(text, source, static_cast<size_t>(limit));
}

void formatInt(VstInt32 value, char* text, VstInt32 limit)
{
    if (value >= kIntHugeFrom) {
        writeLimitedText(text, kHugeText, limit);
        return;
    }
    // 64-bit so that the most negative value has a magnitude too.
    VstInt64 magnitude = value;
    char buffer[16];
    int length = 0;
    if (magnitude < 0) {
        magnitude = -magnitude;
        if (magnitude >= kIntMagnitudeLimit) {
            writeLimitedText(text, kHugeText, limit);
            return;
        }
        buffer[length++] = '-';
    }
    bool started = false;
    for (VstInt64 power = kIntTopPower; power >= 1; power /= 10) {
        const VstInt64 digit = magnitude / power;
        magnitude %= power;
        if (digit != 0 || started || power == 1) {
            buffer[length++] = static_cast<char>('0' + digit);
            started = true;
        }
    }
    buffer[length] = '\0';
    writeLimitedText(text, buffer, limit);
}

void formatFloat(float value, char* text, VstInt32 limit)
{
    if (std::isnan(value)) {
        writeLimitedText(text, kNotANumberText, limit);
        return;
    }
    const bool negative = value < 0.0f;
    const double v = negative ? -static_cast<double>(value) : static_cast<double>(value);
    if (v > (negative ? kLargestNegativeMagnitude : kLargestPositive)) {
        writeLimitedText(text, kHugeText, limit);
        return;
    }

    // Integer digits, from the units leftwards. All of them are written, even
    // where they fill the width on their own: a number that loses its leading
    // digits reads as a different number.
    constexpr int kMaxIntegerDigits = 12;
    char digits[kMaxIntegerDigits];
    int first = kMaxIntegerDigits;
    int count = negative ? 3 : 2;
    double x = std::floor(v);
    digits[--first] = digitChar(std::fmod(x, 10.0));
    x /= 10.0;
    while (x >= 1.0 && first > 0) {
        digits[--first] = digitChar(std::fmod(x, 10.0));
        x /= 10.0;
        ++count;
    }

    char buffer[kMaxIntegerDigits + kFloatWidth + 4];
    int length = 0;
    if (negative)
        buffer[length++] = '-';
    for (int i = first; i < kMaxIntegerDigits; ++i)
        buffer[length++] = digits[i];
    buffer[length++] = '.';

    // Fraction digits, from the right; once m is used up the rest are zeros.
    if (count < kFloatWidth) {
        const int n = kFloatWidth - count;
        double m = std::fmod(v, 1.0) * std::pow(10.0, n);
        for (int position = length + n - 1; position >= length; --position) {
            if (m <= 0.0) {
                buffer[position] = '0';
            } else {
                buffer[position] = digitChar(std::fmod(m, 10.0));
                m /= 10.0;
            }
        }
        length += n;
    }
    buffer[length] = '\0';
    writeLimitedText(text, buffer, limit);
}
