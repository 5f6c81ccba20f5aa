// What the record alone cannot show: the base state behind the requests.
#include <gtest/gtest.h>

#include "plugin/AEffEditor.h"
#include "tests/plugin/ProbeEffect.h"
#include "tests/plugin/RecordingHost.h"

namespace {

class InProcessDispatch : public ::testing::Test {
protected:
    RecordingHost host;
    ProbeEffect effect{RecordingHost::callback};
};

TEST_F(InProcessDispatch, SampleRateAndBlockSizeRequests)
{
    EXPECT_EQ(effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.dispatcher(effSetBlockSize, 0, 333, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.getBlockSize(), 333);

    // The old combined request is not answered at this level.
    EXPECT_EQ(effect.dispatcher(effSetBlockSizeAndSampleRate, 0, 64, nullptr, 96000.0f), 0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 333);
    effect.__setBlockSizeAndSampleRateDeprecated(64, 96000.0f);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 64);
}

TEST_F(InProcessDispatch, CloseThroughTheDispatcherAloneKeepsTheObject)
{
    EXPECT_EQ(effect.dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(host.eventCodes().back(), probe::kClosed);
    EXPECT_EQ(effect.getAeffect()->magic, kEffectMagic);
}

TEST_F(InProcessDispatch, BaseEditorDefaults)
{
    AEffEditor editor(&effect);
    EXPECT_EQ(editor.getEffect(), &effect);
    EXPECT_FALSE(editor.isOpen());
    ERect* rect = reinterpret_cast<ERect*>(&editor);
    EXPECT_FALSE(editor.getRect(&rect));
    EXPECT_EQ(rect, nullptr);
    EXPECT_FALSE(editor.getRect(nullptr));
}

} // namespace
