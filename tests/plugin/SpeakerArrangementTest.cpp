// Allocating, copying and matching speaker arrangements.
#include <cstddef>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/plugin/ProbeEffect.h"

namespace {

VstSpeakerProperties* speakerByOffset(VstSpeakerArrangement* arrangement, VstInt32 channel)
{
    char* first = reinterpret_cast<char*>(arrangement) + offsetof(VstSpeakerArrangement, speakers);
    return reinterpret_cast<VstSpeakerProperties*>(first) + channel;
}

class SpeakerArrangement : public ::testing::Test {
protected:
    void TearDown() override
    {
        effect.deallocateArrangement(&to);
        effect.deallocateArrangement(&from);
    }

    ProbeEffect effect{nullptr};
    VstSpeakerArrangement* to = nullptr;
    VstSpeakerArrangement* from = nullptr;
};

TEST_F(SpeakerArrangement, AllocateClearsAndCountsAndDeallocateClearsThePointer)
{
    ASSERT_TRUE(effect.allocateArrangement(&to, 12));
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->type, 0);
    EXPECT_EQ(to->numChannels, 12);
    EXPECT_EQ(speakerByOffset(to, 11)->type, 0) << "room for every channel, beyond the declared eight";
    speakerByOffset(to, 11)->type = 5;

    ASSERT_TRUE(effect.allocateArrangement(&to, 1)) << "replaces the one held";
    EXPECT_EQ(to->numChannels, 1);
    EXPECT_EQ(to->speakers[7].type, 0) << "never smaller than the structure";

    EXPECT_FALSE(effect.allocateArrangement(&to, -1));
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    if (sizeof(size_t) == 4) {
        // 38347923 speakers wrap a 32-bit size to a few bytes.
        EXPECT_FALSE(effect.allocateArrangement(&to, 38347923));
    }
    EXPECT_TRUE(effect.deallocateArrangement(&to));
    EXPECT_EQ(to, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&to));
    EXPECT_TRUE(effect.deallocateArrangement(nullptr));
}

TEST_F(SpeakerArrangement, CopySpeakerCutsTheNameAndTerminatesIt)
{
    VstSpeakerProperties source{};
    source.azimuth = 0.5f;
    source.elevation = -0.25f;
    source.radius = 2.0f;
    source.reserved = 1.0f;
    source.type = 3;
    std::memset(source.name, 'n', sizeof(source.name)); // no terminator at all
    std::memset(source.future, 7, sizeof(source.future));
    VstSpeakerProperties target;
    std::memset(&target, 0x55, sizeof(target));

    ASSERT_TRUE(effect.copySpeaker(&target, &source));
    EXPECT_EQ(std::memcmp(&target, &source, offsetof(VstSpeakerProperties, name)), 0);
    EXPECT_EQ(std::strlen(target.name), 63u);
    EXPECT_EQ(std::memcmp(target.future, source.future, sizeof(source.future)), 0);

    EXPECT_FALSE(effect.copySpeaker(nullptr, &source));
    EXPECT_FALSE(effect.copySpeaker(&target, nullptr));
}

TEST_F(SpeakerArrangement, MatchCopiesTypeAndEverySpeaker)
{
    ASSERT_TRUE(effect.allocateArrangement(&from, 3));
    from->type = kSpeakerArrUserDefined;
    for (VstInt32 i = 0; i < 3; ++i) {
        from->speakers[i].azimuth = static_cast<float>(i);
        std::strcpy(from->speakers[i].name, i == 2 ? "third" : "other");
    }
    ASSERT_TRUE(effect.allocateArrangement(&to, 9));

    ASSERT_TRUE(effect.matchArrangement(&to, from));
    ASSERT_NE(to, from);
    EXPECT_EQ(to->type, kSpeakerArrUserDefined);
    EXPECT_EQ(to->numChannels, 3);
    EXPECT_EQ(to->speakers[1].azimuth, 1.0f);
    EXPECT_STREQ(to->speakers[2].name, "third");

    EXPECT_FALSE(effect.matchArrangement(&to, nullptr));
    EXPECT_FALSE(effect.matchArrangement(nullptr, from));

    VstSpeakerArrangement* same = from;
    ASSERT_TRUE(effect.matchArrangement(&from, from)) << "matched to itself";
    EXPECT_EQ(from, same);
    EXPECT_EQ(from->type, kSpeakerArrUserDefined);
    EXPECT_EQ(from->numChannels, 3);
    EXPECT_STREQ(from->speakers[2].name, "third");
}

} // namespace
