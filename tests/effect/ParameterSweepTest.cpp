// Pins every parameter's mappings and value texts over a sweep of
// normalised values, in and beyond 0..1, against a recorded table. Saved
// sessions store normalised values: nothing here may ever move. To record
// the table anew after a deliberate change, run this test with
// VELMORA_RECORD_SWEEP=1.

#include "effect/ParameterTable.h"
#include "tests/effect/LoadedEffect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string sweepLine(LoadedEffect& fx, int index, float v)
{
    fx.set(index, v);
    char line[256];
    std::snprintf(line, sizeof line, "%d %a get=%a text=%s encoder=%a user=%.17g", index, v, fx.get(index),
                  fx.display(index).c_str(), ParameterTable::toEncoder(index, v),
                  ParameterTable::userFromNormalised(index, v));
    return line;
}

std::string sweep()
{
    std::ostringstream out;
    for (int index = 0; index < ParameterTable::kCount; ++index) {
        LoadedEffect fx;
        // The rectangular coordinates are swept from the origin, so that the
        // 4 m clamp only acts where the swept value itself goes beyond it.
        for (int i : {kX, kY, kZ})
            fx.set(i, 0.5f);
        for (int k = -16; k <= 144; ++k)
            out << sweepLine(fx, index, static_cast<float>(k) / 128.0f) << '\n';
        for (float v : {0.675f, 1e-7f, 0.9999999f, 0.3333333f, -3.0f, 7.5f, 1e5f})
            out << sweepLine(fx, index, v) << '\n';
    }
    return out.str();
}

TEST(ParameterSweep, MappingsAndTextsStayAsRecorded)
{
    const std::string path = VELMORA_SWEEP_TABLE;
    const std::string now = sweep();
    if (std::getenv("VELMORA_RECORD_SWEEP")) {
        std::ofstream(path) << now;
        GTEST_SKIP() << "recorded " << path;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "missing " << path;
    std::istringstream recorded(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    std::istringstream current(now);
    std::string expected, actual;
    int line = 0;
    while (std::getline(recorded, expected)) {
        ++line;
        ASSERT_TRUE(std::getline(current, actual)) << "sweep ended early at line " << line;
        ASSERT_EQ(actual, expected) << "line " << line;
    }
    EXPECT_FALSE(std::getline(current, actual)) << "sweep has more lines than recorded";
}

} // namespace
