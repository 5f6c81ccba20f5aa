// The host hears what the two coupled views of the position do: after any
// change, every other parameter that moved is reported through automation,
// without echoes, loops or reports from inside the host's own callback.

#include "tests/effect/LoadedEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Report {
    int index;
    float value;
    int depth; // how many of our callbacks were running when it arrived
};

std::vector<Report> reports;
int displayUpdates = 0;
int callbackDepth = 0;
std::function<void(AEffect*, int, float)> onAutomate;

VstIntPtr recordingHost(AEffect* fx, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterUpdateDisplay: ++displayUpdates; return 1;
    case audioMasterAutomate:
        reports.push_back({index, opt, callbackDepth});
        if (onAutomate) {
            ++callbackDepth;
            onAutomate(fx, index, opt);
            --callbackDepth;
        }
        return 0;
    default: return 0;
    }
}

class HostReports : public ::testing::Test {
protected:
    HostReports() : fx(recordingHost) { clear(); }
    ~HostReports() override { onAutomate = nullptr; }

    void clear()
    {
        reports.clear();
        displayUpdates = 0;
    }
    std::vector<int> indices() const
    {
        std::vector<int> out;
        for (const Report& r : reports)
            out.push_back(r.index);
        return out;
    }
    // The last report of each parameter carries what getParameter now answers.
    void expectReportsMatchTheEffect()
    {
        for (int i = 0; i < 7; ++i) {
            const Report* last = nullptr;
            for (const Report& r : reports)
                if (r.index == i)
                    last = &r;
            if (last) {
                EXPECT_NEAR(last->value, fx.get(i), 1e-6) << "index " << i;
            }
        }
    }

    LoadedEffect fx;
};

TEST_F(HostReports, NothingAtStartOrForAValueSetToWhatItWas)
{
    EXPECT_TRUE(reports.empty());
    for (int i = 0; i < 7; ++i)
        fx.set(i, fx.get(i));
    EXPECT_TRUE(reports.empty());
    fx.set(7, 0.3f);
    EXPECT_TRUE(reports.empty());
}

TEST_F(HostReports, RectangularChangeReportsThePolarView)
{
    fx.set(2, 0.5f); // x to the centre: the azimuth stays 0, the distance goes to 0 m
    fx.set(3, 0.75f); // y 2 m to the left
    // x to the centre: distance (5) from 4 m to 0 m; y: azimuth 90 degrees and 2 m.
    EXPECT_EQ(indices(), (std::vector<int>{5, 0, 5}));
    expectReportsMatchTheEffect();
    EXPECT_NEAR(reports[1].value, 0.25f, 1e-6);
}

TEST_F(HostReports, PolarChangeReportsTheRectangularView)
{
    fx.set(0, 0.25f); // a quarter turn to the left at 4 m
    EXPECT_EQ(indices(), (std::vector<int>{2, 3}));
    expectReportsMatchTheEffect();
    EXPECT_NEAR(reports[0].value, 0.5f, 1e-6);
    EXPECT_NEAR(reports[1].value, 1.0f, 1e-6);
}

TEST_F(HostReports, PullInToTheEdgeReportsEvenTheValueJustSet)
{
    fx.set(3, 1.0f); // x is 4 m already: y 4 m puts the source outside the circle
    const std::vector<int> got = indices();
    EXPECT_EQ(got, (std::vector<int>{0, 2, 3}));
    expectReportsMatchTheEffect();
    EXPECT_NEAR(fx.get(2), 0.8535534f, 1e-6);
    EXPECT_NEAR(fx.get(3), 0.8535534f, 1e-6);
}

TEST_F(HostReports, ProgramChangeReportsWhatMovedAndUpdatesTheDisplayOnce)
{
    fx.set(0, 0.25f);
    fx.set(6, 0.f);
    clear();
    fx.dispatch(effSetProgram, 0, 1); // a fresh program: front, far, compensation off
    EXPECT_EQ(indices(), (std::vector<int>{0, 2, 3, 6}));
    expectReportsMatchTheEffect();
    EXPECT_EQ(displayUpdates, 1);
    clear();
    fx.dispatch(effSetProgram, 0, 1);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(displayUpdates, 1);
}

TEST_F(HostReports, AnEchoingHostReachesAFixedPointAtOnce)
{
    // Inside the callback: every report is set straight back.
    onAutomate = [](AEffect* effect, int index, float value) { effect->setParameter(effect, index, value); };
    fx.set(2, 0.3f);
    fx.set(0, 0.8f);
    fx.set(3, 0.95f); // pulled in
    fx.set(5, 0.4f);
    const size_t inside = reports.size();
    EXPECT_GT(inside, 0u);
    for (const Report& r : reports)
        EXPECT_EQ(r.depth, 0) << "reported from inside the host's callback: " << r.index;

    // Later: after each change the host sets every value it was told back,
    // in order, as a host does that passes reports on at its next cycle.
    onAutomate = nullptr;
    for (int step = 0; step < 40; ++step) {
        clear();
        fx.set(step % 7, static_cast<float>((step * 37) % 101) / 100.f);
        const std::vector<Report> told = reports;
        clear();
        for (const Report& r : told)
            fx.set(r.index, r.value);
        EXPECT_TRUE(reports.empty()) << "step " << step << ": a second round of " << reports.size();
    }
}

TEST_F(HostReports, SetFromInsideTheCallbackIsAppliedAndReportedAfterwards)
{
    // A host that answers the azimuth report by moving z.
    onAutomate = [](AEffect* effect, int index, float) {
        if (index == 0)
            effect->setParameter(effect, 4, 0.75f);
    };
    fx.set(2, 0.5f);
    fx.set(3, 0.75f); // reports the azimuth, and the host moves z meanwhile
    onAutomate = nullptr;
    EXPECT_NEAR(fx.get(4), 0.75f, 1e-6);
    for (const Report& r : reports)
        EXPECT_EQ(r.depth, 0) << r.index;
    // The elevation that z gave the source was told too, once.
    int elevationReports = 0;
    for (const Report& r : reports)
        elevationReports += r.index == 1;
    EXPECT_EQ(elevationReports, 1);
    expectReportsMatchTheEffect();
}

TEST_F(HostReports, ASetFromInsideTheCallbackThatMovesAnEarlierParameterIsReportedToo)
{
    // The distance is reported after x and y have been looked at; the host
    // answers it by turning the azimuth, which moves x and y again.
    onAutomate = [](AEffect* effect, int index, float) {
        if (index == 5)
            effect->setParameter(effect, 0, 0.25f);
    };
    fx.set(2, 0.75f); // x 2 m: the distance goes from 4 m to 2 m
    onAutomate = nullptr;
    EXPECT_EQ(indices(), (std::vector<int>{5, 2, 3}));
    for (const Report& r : reports)
        EXPECT_EQ(r.depth, 0) << r.index;
    expectReportsMatchTheEffect();
    EXPECT_NEAR(fx.get(2), 0.5f, 1e-6); // x at 0 m
    EXPECT_NEAR(fx.get(3), 0.75f, 1e-6); // y at 2 m
}

} // namespace
