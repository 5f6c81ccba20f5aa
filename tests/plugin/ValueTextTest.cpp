// The value texts, exactly, and that none of them writes past its limit.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "plugin/ValueText.h"
#include "tests/plugin/ProbeEffect.h"

namespace {

constexpr char kGuard = '#';
constexpr size_t kBufferSize = 40;

// Runs a formatter into a buffer full of guard bytes, checks that only
// limit + 1 bytes were touched and returns the text.
template <typename Format> std::string formatted(Format format, VstInt32 limit)
{
    char buffer[kBufferSize];
    std::memset(buffer, kGuard, sizeof(buffer));
    format(buffer, limit);
    const size_t allowed = limit < 0 ? 0 : static_cast<size_t>(limit) + 1;
    for (size_t i = allowed; i < kBufferSize; ++i)
        if (buffer[i] != kGuard) {
            ADD_FAILURE() << "byte " << i << " written with limit " << limit;
            break;
        }
    if (allowed == 0)
        return "<nothing>";
    if (std::memchr(buffer, '\0', allowed) == nullptr)
        return "<unterminated>";
    return buffer;
}

class ValueText : public ::testing::Test {
protected:
    std::string floatText(float value, VstInt32 limit)
    {
        return text(&AudioEffect::float2string, value, limit);
    }
    std::string intText(VstInt32 value, VstInt32 limit = 8)
    {
        return formatted([&](char* t, VstInt32 l) { effect.int2string(value, t, l); }, limit);
    }
    using FloatFormat = void (AudioEffect::*)(float, char*, VstInt32);
    std::string text(FloatFormat format, float value, VstInt32 limit = 8)
    {
        return formatted([&](char* t, VstInt32 l) { (effect.*format)(value, t, l); }, limit);
    }
    std::string dBText(float value, VstInt32 limit = 8)
    {
        return text(&AudioEffect::dB2string, value, limit);
    }
    std::string hzText(float samples) { return text(&AudioEffect::Hz2string, samples); }
    std::string msText(float samples) { return text(&AudioEffect::ms2string, samples); }

    ProbeEffect effect{nullptr};
};

TEST_F(ValueText, FloatTwoDecimalsAsParameterDisplaysUseThem)
{
    EXPECT_EQ(floatText(1.5f, 4), "1.50");
    EXPECT_EQ(floatText(0.7f, 4), "0.69") << "digits are truncated, not rounded";
    EXPECT_EQ(floatText(0.0f, 4), "0.00");
    EXPECT_EQ(floatText(-0.0f, 4), "0.00");
    EXPECT_EQ(floatText(123.25f, 4), "123.");
    EXPECT_EQ(floatText(-1.5f, 5), "-1.50");
}

TEST_F(ValueText, FloatFillsEightCharactersOrSaysHuge)
{
    EXPECT_EQ(floatText(1.5f, 8), "1.500000");
    EXPECT_EQ(floatText(-1.5f, 8), "-1.50000");
    EXPECT_EQ(floatText(1234567.0f, 8), "1234567.");
    EXPECT_EQ(floatText(10.0f, 20), "10.00000");
    // Integer digits beyond the width are kept, not dropped from the left.
    EXPECT_EQ(floatText(12345678.0f, 8), "12345678");
    EXPECT_EQ(floatText(12345678.0f, 20), "12345678.");
    EXPECT_EQ(floatText(-1234567.0f, 8), "-1234567");
    EXPECT_EQ(floatText(100000000.0f, 8), "Huge!");
    EXPECT_EQ(floatText(-10000000.0f, 8), "Huge!");
    EXPECT_EQ(floatText(100000000.0f, 4), "Huge");
    EXPECT_EQ(floatText(std::numeric_limits<float>::infinity(), 8), "Huge!");
    EXPECT_EQ(floatText(std::nanf(""), 8), "NaN");
}

TEST_F(ValueText, LimitsCutAndTerminate)
{
    EXPECT_EQ(floatText(1.5f, 0), "");
    EXPECT_EQ(floatText(1.5f, 1), "1");
    EXPECT_EQ(floatText(1.5f, 30), "1.500000");
    EXPECT_EQ(floatText(1.5f, -1), "<nothing>");
    EXPECT_EQ(intText(42, -3), "<nothing>");
    EXPECT_EQ(intText(1234567, 4), "1234");
    EXPECT_EQ(dBText(0.0f, 2), "-o");
}

TEST_F(ValueText, Integers)
{
    EXPECT_EQ(intText(0), "0");
    EXPECT_EQ(intText(42), "42");
    EXPECT_EQ(intText(-42), "-42");
    EXPECT_EQ(intText(99999999), "99999999");
    EXPECT_EQ(intText(100000000), "Huge!");
    EXPECT_EQ(intText(std::numeric_limits<VstInt32>::max()), "Huge!");
    EXPECT_EQ(intText(-123456789, 10), "-123456789");
    EXPECT_EQ(intText(-1000000000, 10), "Huge!");
    EXPECT_EQ(intText(std::numeric_limits<VstInt32>::min(), 10), "Huge!");
}

TEST_F(ValueText, DecibelsHertzAndMilliseconds)
{
    EXPECT_EQ(dBText(0.0f), "-oo");
    EXPECT_EQ(dBText(1.0f), "0.000000");
    EXPECT_EQ(dBText(0.5f), "-6.02059");
    EXPECT_EQ(hzText(100.0f), "441.0000");
    EXPECT_EQ(msText(441.0f), "10.00000");
    EXPECT_EQ(msText(44100.0f), "1000.000");
    effect.setSampleRate(48000.0f);
    EXPECT_EQ(hzText(480.0f), "100.0000");
    EXPECT_EQ(msText(48.0f), "1.000000");
}

TEST(TextCopies, StayWithinTheirLimit)
{
    char text[8];
    std::memset(text, kGuard, sizeof(text));
    vst_strncpy(text, "abcdefgh", 4);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(text[5], kGuard);
    vst_strncpy(text, nullptr, 4);
    EXPECT_STREQ(text, "");
}

} // namespace
