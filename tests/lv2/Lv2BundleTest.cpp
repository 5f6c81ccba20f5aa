// The bundle as LV2's own tools see it: its Turtle, what lv2info shows, the
// frozen port list, renders through lv2apply, a preset saved by a host and
// loaded in jalv, and what the DSP object links.
#include "effect/ParameterTable.h"
#include "tests/effect/LoadedEffect.h"
#include "tests/lv2/Lv2Instance.h"
#include "tests/lv2/ToolRun.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr const char* kFuMa = "urn:corvane:velmora-xy3-2d";
constexpr const char* kAmbiX = "urn:corvane:velmora-xy3-2d-ambix";

// A folder of the test's own that LV2_PATH names: the bundle, linked, and
// whatever else a test puts there (a saved preset).
class Lv2Bundle : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/velmora-lv2-XXXXXX";
        folder = mkdtemp(pattern);
        fs::create_directory_symlink(VELMORA_LV2_BUNDLE, folder + "/" + fs::path(VELMORA_LV2_BUNDLE).filename().string());
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }

    static void needs(const std::string& tool)
    {
        if (!ToolRun::available(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    }
    static ToolRun withPath(const std::string& command)
    {
        return ToolRun::of("export LV2_PATH='" + folder + "'; " + command);
    }
    static std::vector<std::string> turtleFiles()
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(VELMORA_LV2_BUNDLE))
            if (entry.path().extension() == ".ttl")
                files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        return files;
    }

    static std::string folder;
};
std::string Lv2Bundle::folder;

TEST_F(Lv2Bundle, TurtleIsWellFormedAndValid)
{
    needs("serdi");
    needs("lv2_validate");
    const auto files = turtleFiles();
    ASSERT_GE(files.size(), 3u);
    std::string all;
    for (const auto& file : files) {
        // serdi exits 0 even on errors: only its standard error tells.
        const ToolRun serdi = ToolRun::of("serdi -i turtle -o ntriples '" + file + "'");
        EXPECT_EQ(0, serdi.status) << file;
        EXPECT_EQ("", serdi.err) << file;
        all += " '" + file + "'";
    }
    const ToolRun validate = ToolRun::of("lv2_validate" + all);
    EXPECT_NE(std::string::npos, (validate.out + validate.err).find("Found 0 errors")) << validate.out << validate.err;
}

// Port symbols by index, as lv2info shows them.
std::vector<std::string> symbolsShown(const std::string& lv2info)
{
    std::vector<std::string> symbols;
    const std::regex symbol(R"(\n\t\tSymbol: +(\S+))");
    for (std::sregex_iterator it(lv2info.begin(), lv2info.end(), symbol), end; it != end; ++it)
        symbols.push_back((*it)[1]);
    return symbols;
}

TEST_F(Lv2Bundle, Lv2InfoShowsThePortsTheirGroupAndDesignations)
{
    needs("lv2info");
    const ToolRun fuma = withPath(std::string("lv2info ") + kFuMa);
    EXPECT_EQ(0, fuma.status);
    EXPECT_EQ("", fuma.err);
    EXPECT_NE(std::string::npos, fuma.out.find("Name:              Corvane Velmora XY 3 - 2d\n"));
    EXPECT_NE(std::string::npos, fuma.out.find("Optional Features: http://lv2plug.in/ns/lv2core#hardRTCapable"));
    EXPECT_NE(std::string::npos, fuma.out.find("Group:       urn:corvane:velmora-xy3-2d#bformat"));
    // W X Y U V P Q carry ACN 0 3 1 8 4 15 9.
    const std::regex designation(R"(Symbol: +(\w+)\n(?:.*\n){0,2}?\t\tGroup: .*\n\t\tDesignation: +\S+#ACN(\d+))");
    std::string pairs;
    for (std::sregex_iterator it(fuma.out.begin(), fuma.out.end(), designation), end; it != end; ++it)
        pairs += (*it)[1].str() + "=" + (*it)[2].str() + " ";
    EXPECT_EQ("w=0 x=3 y=1 u=8 v=4 p=15 q=9 ", pairs);

    const ToolRun ambix = withPath(std::string("lv2info ") + kAmbiX);
    EXPECT_EQ(0, ambix.status);
    EXPECT_EQ("", ambix.err);
    EXPECT_NE(std::string::npos, ambix.out.find("Name:              Corvane Velmora XY 3 - 2d AmbiX\n"));
    pairs.clear();
    for (std::sregex_iterator it(ambix.out.begin(), ambix.out.end(), designation), end; it != end; ++it)
        pairs += (*it)[1].str() + "=" + (*it)[2].str() + " ";
    EXPECT_EQ("acn0=0 acn1=1 acn2=2 acn3=3 acn4=4 acn5=5 acn6=6 acn7=7 acn8=8 acn9=9 acn10=10 acn11=11 acn12=12 "
              "acn13=13 acn14=14 acn15=15 ",
              pairs);
}

TEST_F(Lv2Bundle, PortsKeepTheirFrozenIndicesAndSymbols)
{
    needs("lv2info");
    std::map<std::string, std::vector<std::string>> frozen;
    std::ifstream list(VELMORA_LV2_FROZEN_PORTS);
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string uri, symbol;
        size_t index = 0;
        fields >> uri >> index >> symbol;
        ASSERT_EQ(index, frozen[uri].size()) << line;
        frozen[uri].push_back(symbol);
    }
    ASSERT_EQ(2u, frozen.size());
    for (const auto& [uri, symbols] : frozen) {
        const ToolRun info = withPath("lv2info " + uri);
        EXPECT_EQ(symbols, symbolsShown(info.out)) << uri;
    }
}

TEST_F(Lv2Bundle, TheDspObjectLinksNoWindowSystemAndExportsOneSymbol)
{
    needs("readelf");
    const ToolRun needed = ToolRun::of("readelf -d '" VELMORA_LV2_DSP "'");
    EXPECT_EQ(std::string::npos, needed.out.find("libX11")) << needed.out;
    EXPECT_EQ(std::string::npos, needed.out.find("libcairo")) << needed.out;
    EXPECT_EQ(std::string::npos, needed.out.find("libstdc++")) << needed.out;
    const ToolRun symbols = ToolRun::of("nm -D --defined-only '" VELMORA_LV2_DSP "'");
    EXPECT_NE(std::string::npos, symbols.out.find(" lv2_descriptor\n"));
    EXPECT_EQ(1, std::count(symbols.out.begin(), symbols.out.end(), '\n')) << symbols.out;
}

// A mono 32-bit float WAV of the test signal.
void writeInput(const std::string& path, const std::vector<float>& signal)
{
    SF_INFO info = {};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(nullptr, file);
    sf_writef_float(file, signal.data(), static_cast<sf_count_t>(signal.size()));
    sf_close(file);
}

// The channels of a WAV file.
std::vector<std::vector<float>> readChannels(const std::string& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<float> frames(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    std::vector<std::vector<float>> channels(static_cast<size_t>(info.channels));
    for (size_t i = 0; i < frames.size(); ++i)
        channels[i % static_cast<size_t>(info.channels)].push_back(frames[i]);
    return channels;
}

std::vector<std::vector<float>> vstRender(const char* path, int outputs, float azimuthDegrees,
                                          const std::vector<float>& input)
{
    LoadedEffect vst(path, nullptr);
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    vst.set(kAzimuth, ParameterTable::normalisedFromUser(kAzimuth, azimuthDegrees));
    vst.dispatch(effMainsChanged, 0, 1);
    std::vector<std::vector<float>> out(static_cast<size_t>(outputs), std::vector<float>(input.size()));
    std::vector<float*> pointers;
    for (auto& channel : out)
        pointers.push_back(channel.data());
    for (size_t done = 0; done < input.size(); done += 512) {
        std::vector<float*> at;
        for (float* p : pointers)
            at.push_back(p + done);
        float* in[] = {const_cast<float*>(input.data() + done)};
        vst.record()->processReplacing(vst.record(), in, at.data(),
                                       static_cast<VstInt32>(std::min<size_t>(512, input.size() - done)));
    }
    return out;
}

TEST_F(Lv2Bundle, Lv2ApplyRendersAsTheVstPluginsAtFourAzimuths)
{
    needs("lv2apply");
    const std::vector<float> input = testSignal(24000);
    const std::string in = folder + "/in.wav";
    writeInput(in, input);
    struct Case {
        const char* uri;
        const char* vst;
        int outputs;
    };
    for (const Case& c : {Case{kFuMa, VELMORA_PLUGIN_PATH, 7}, Case{kAmbiX, VELMORA_AMBIX_PLUGIN_PATH, 16}}) {
        for (int azimuth : {0, 90, 180, 270}) {
            const std::string out = folder + "/out.wav";
            const ToolRun apply = withPath("lv2apply -i '" + in + "' -o '" + out + "' -c azimuth " +
                                           std::to_string(azimuth) + " " + c.uri);
            ASSERT_EQ(0, apply.status) << apply.err;
            const auto lv2 = readChannels(out);
            const auto vst = vstRender(c.vst, c.outputs, static_cast<float>(azimuth), input);
            ASSERT_EQ(vst.size(), lv2.size());
            float peakW = 0.0f;
            double largest = 0.0;
            for (size_t ch = 0; ch < vst.size(); ++ch) {
                ASSERT_EQ(vst[ch].size(), lv2[ch].size());
                for (size_t i = 0; i < vst[ch].size(); ++i) {
                    largest = std::max(largest, std::fabs(static_cast<double>(vst[ch][i]) - lv2[ch][i]));
                    if (ch == 0)
                        peakW = std::max(peakW, std::fabs(vst[0][i]));
                }
            }
            EXPECT_LE(largest, 1e-6 * peakW) << c.uri << " at " << azimuth;
        }
    }
}

// A JACK server on the dummy backend, of this test's own.
class DummyJack {
public:
    DummyJack() : name("velmora-lv2-" + std::to_string(getpid()))
    {
        pid = fork();
        if (pid == 0) {
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            execlp("jackd", "jackd", "--no-realtime", "-n", name.c_str(), "-d", "dummy", "-r", "48000", "-p", "256",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 50 && !running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~DummyJack()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    bool running() const { return ToolRun::of("JACK_DEFAULT_SERVER=" + name + " jack_lsp").status == 0; }

    const std::string name;

private:
    pid_t pid = -1;
};

// "symbol = value" lines of jalv's console.
float controlShown(const std::string& text, const std::string& symbol)
{
    const std::regex line("(^|\n)(> )?" + symbol + " = ([-0-9.]+)");
    std::smatch match;
    std::string last;
    for (auto it = text.cbegin(); std::regex_search(it, text.cend(), match, line); it = match[0].second)
        last = match[3];
    return last.empty() ? NAN : std::stof(last);
}

TEST_F(Lv2Bundle, APresetSavedByAHostLoadsBackInJalv)
{
    needs("jackd");
    needs("jack_lsp");
    needs("jalv");
    DummyJack jack;
    if (!jack.running())
        GTEST_SKIP() << "JACK's dummy backend did not start here";
    const std::string presetUri = std::string(kFuMa) + "#saved-by-test";
    const std::string presets = folder + "/velmora-saved.lv2";
    const ToolRun save = withPath(std::string("'" VELMORA_LV2_SAVE_PRESET "' ") + kFuMa + " '" + presetUri +
                                  "' Saved '" + presets +
                                  "' azimuth=123 elevation=-20 distance=1.25 compensation=2.5");
    ASSERT_EQ(0, save.status) << save.err;

    // jalv's console loads a preset only once "presets" has listed them.
    const std::string commands = "sleep 1; echo presets; echo 'preset " + presetUri + "'; sleep 1; echo controls; sleep 0.5";
    const ToolRun jalv = withPath("(" + commands + ") | JACK_DEFAULT_SERVER=" + jack.name +
                                  " timeout 20 jalv -n velmora-test " + kFuMa);
    EXPECT_NE(std::string::npos, jalv.out.find(presetUri)) << jalv.out << jalv.err;
    EXPECT_FLOAT_EQ(123.0f, controlShown(jalv.out, "azimuth")) << jalv.out;
    EXPECT_FLOAT_EQ(-20.0f, controlShown(jalv.out, "elevation"));
    EXPECT_FLOAT_EQ(1.25f, controlShown(jalv.out, "distance"));
    EXPECT_FLOAT_EQ(2.5f, controlShown(jalv.out, "compensation"));
}

} // namespace
