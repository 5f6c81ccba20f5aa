// The command-line host's parsing: parameters in their own units, automation
// files and options.

#include "tools/pluginhost/Automation.h"
#include "tools/velmora/CommandLine.h"
#include "tools/HostError.h"
#include "tools/pluginhost/ParameterResolver.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const ParameterResolver own(true, {});

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const HostError& error) {
        return error.what();
    }
    return "<no error>";
}

TEST(ParameterResolver, OwnParametersTakeTheirUnits)
{
    EXPECT_EQ(own.assignment("azimuth=90").index, 0);
    EXPECT_FLOAT_EQ(own.assignment("azimuth=90").normalised, 0.25f);
    EXPECT_FLOAT_EQ(own.assignment("elevation=-90").normalised, 0.0f);
    EXPECT_FLOAT_EQ(own.assignment("x=2").normalised, 0.75f);
    EXPECT_FLOAT_EQ(own.assignment("Z=-4").normalised, 0.0f);
    EXPECT_FLOAT_EQ(own.assignment("distance=off").normalised, 0.0f);
    EXPECT_FLOAT_EQ(own.assignment("distance=0").normalised, 1.0f);
    EXPECT_FLOAT_EQ(own.assignment("compensation=off").normalised, 1.0f);
    EXPECT_FLOAT_EQ(own.assignment("compensation=0.5").normalised, 0.0f);
    EXPECT_FLOAT_EQ(own.assignment("Compensation Distance=4").normalised, 1.0f);
    EXPECT_FLOAT_EQ(own.assignment("y=norm:0.3").normalised, 0.3f);
}

// Unknown names and values out of range in degrees are checked end to end.
TEST(ParameterResolver, BadValuesSayWhatIsWrong)
{
    const std::pair<const char*, const char*> cases[] = {{"compensation=0.2", "out of range 0.5..4 m"},
                                                         {"x=off", "not a number"},
                                                         {"x=nan", "not a number"},
                                                         {"x=norm:1.5", "out of range 0..1"},
                                                         {"x", "NAME=VALUE"}};
    for (const auto& [text, message] : cases)
        EXPECT_NE(errorOf([&] { own.assignment(text); }).find(message), std::string::npos) << text;
}

TEST(ParameterResolver, OtherPluginsUseTheirOwnNamesAndNormalisedValues)
{
    const ParameterResolver other(false, {"Gain", "Dry/Wet"});
    EXPECT_EQ(other.assignment("dry/wet=0.4").index, 1);
    EXPECT_FLOAT_EQ(other.assignment("GAIN=0.25").normalised, 0.25f);
    EXPECT_NE(errorOf([&] { other.assignment("azimuth=0.5"); }).find("known: gain, dry/wet"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { other.assignment("gain=2"); }).find("out of range 0..1"), std::string::npos);
}

TEST(Automation, ParsesSortsAndSkipsComments)
{
    std::istringstream text("# time parameter value\n"
                            "\n"
                            "1.5 azimuth 90   # left\n"
                            "0.25 distance off\n"
                            "1.5 x norm:0.5\n");
    const Automation automation = Automation::parse(text, "path.txt", own);
    ASSERT_EQ(automation.events().size(), 3u);
    EXPECT_EQ(automation.events()[0].seconds, 0.25);
    EXPECT_EQ(automation.events()[0].index, 5);
    EXPECT_EQ(automation.events()[1].index, 0) << "equal times keep the file's order";
    EXPECT_EQ(automation.events()[2].index, 2);
}

TEST(Automation, ABadLineIsReportedWithItsNumber)
{
    const char* bad[] = {"1.0 azimuth\n",   "soon azimuth 3\n", "-1 azimuth 3\n",
                         "1 azimuth 3 4\n", "1 bogus 3\n",      "1 azimuth 500\n"};
    for (const char* line : bad) {
        std::istringstream text(std::string("0 azimuth 0\n# fine\n") + line);
        const std::string error = errorOf([&] { Automation::parse(text, "moves.txt", own); });
        EXPECT_EQ(error.rfind("moves.txt:3: ", 0), 0u) << line << " gave " << error;
    }
}

TEST(Automation, AFolderIsNoAutomationFile)
{
    const std::string folder = ::testing::TempDir();
    EXPECT_NE(errorOf([&] { Automation::load(folder, own); }).find("cannot be read"), std::string::npos);
}

TEST(CommandLine, OptionsFlagsAndPositionals)
{
    const CommandLine line({"in.wav", "--set", "x=1", "--set=y=2", "--wav", "out.amb", "--block", "128"},
                           {"set", "block"}, {"wav"});
    EXPECT_EQ(line.positional(), (std::vector<std::string>{"in.wav", "out.amb"}));
    EXPECT_EQ(line.values("set"), (std::vector<std::string>{"x=1", "y=2"}));
    EXPECT_TRUE(line.has("wav"));
    EXPECT_EQ(line.integer("block", 64, 1, 1024), 128);
    EXPECT_EQ(line.integer("absent", 64, 1, 1024), 64);

    EXPECT_NE(errorOf([] { CommandLine({"--bogus"}, {}, {}); }).find("unknown option --bogus"),
              std::string::npos);
    EXPECT_NE(errorOf([] { CommandLine({"--block"}, {"block"}, {}); }).find("needs a value"),
              std::string::npos);
    const CommandLine zero({"--block", "0"}, {"block"}, {});
    EXPECT_NE(errorOf([&] { zero.integer("block", 64, 1, 1024); }).find("from 1 to 1024"), std::string::npos);
}

} // namespace
