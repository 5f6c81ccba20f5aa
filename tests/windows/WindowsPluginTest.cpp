// The Windows plug-in DLLs: their tables as Windows reads them, and under
// wine the same record, values, texts and sound as the Linux plug-ins.

#include "tests/windows/WineSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace winesession;

#define SKIP_UNLESS(why)                                                                                       \
    do {                                                                                                       \
        const std::string reason = (why);                                                                      \
        if (!reason.empty())                                                                                   \
            GTEST_SKIP() << reason;                                                                            \
    } while (0)

const char* const kObjdump = "x86_64-w64-mingw32-objdump";

// The names under "[Ordinal/Name Pointer] Table" and after "DLL Name:" in
// objdump's listing of a PE file.
struct PeTables {
    std::vector<std::string> exports;
    std::vector<std::string> imports;
};

PeTables tablesOf(const std::string& path)
{
    PeTables t;
    bool inExports = false;
    for (const auto& line : lines(run({kObjdump, "-p", path}).out)) {
        const auto dllName = line.find("DLL Name: ");
        if (dllName != std::string::npos)
            t.imports.push_back(line.substr(dllName + 10));
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inExports = true;
            continue;
        }
        const auto close = line.find(']');
        if (inExports && line.find('[') != std::string::npos && close != std::string::npos)
            t.exports.push_back(line.substr(close + 2));
        else
            inExports = false;
    }
    return t;
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

TEST(WindowsBinary, EachDllExportsTheEntryPointAloneAndNeedsOnlyWhatWindowsShips)
{
    SKIP_UNLESS(whyNoWindowsBuild());
    if (!xsession::onPath(kObjdump))
        GTEST_SKIP() << "no " << kObjdump;
    const std::vector<std::string> windowsShips = {"kernel32.dll", "user32.dll", "gdi32.dll", "msimg32.dll",
                                                   "msvcrt.dll",   "ole32.dll"};
    for (bool ambix : {false, true}) {
        SCOPED_TRACE(dll(ambix));
        const PeTables t = tablesOf(dll(ambix));
        EXPECT_EQ(t.exports, std::vector<std::string>{"VSTPluginMain"});
        ASSERT_FALSE(t.imports.empty());
        for (const auto& name : t.imports)
            EXPECT_NE(std::find(windowsShips.begin(), windowsShips.end(), lower(name)), windowsShips.end())
                << name << " is not part of Windows: a user without it could not load the plug-in";
    }
}

// The check that runs after each DLL link refuses a DLL with a second export
// or a DLL of mingw's among its imports, names them, and removes the file.
TEST(WindowsBinary, LinkCheckRefusesASecondExportAndAMingwDll)
{
    SKIP_UNLESS(whyNoWindowsBuild());
    if (!xsession::onPath(kObjdump))
        GTEST_SKIP() << "no " << kObjdump;
    const std::string bad = windowsBuild() + "/tests/windows/velmora-bad-plugin.dll";
    const std::string copy = testing::TempDir() + "velmora-bad-plugin-copy.dll";
    ASSERT_EQ(run({"cp", bad, copy}).status, 0);
    const Result r = run({"cmake", "-DOBJDUMP=" + std::string(kObjdump), "-DPLUGIN=" + copy, "-P",
                          std::string(VELMORA_SOURCE_DIR) + "/plugin/CheckDll.cmake"});
    EXPECT_NE(r.status, 0);
    const std::string said = r.out + r.err;
    EXPECT_NE(said.find("velmoraSecondExport"), std::string::npos) << said;
    EXPECT_NE(said.find("libstdc++-6.dll"), std::string::npos) << said;
    EXPECT_FALSE(exists(copy));
}

TEST(WindowsPlugin, RecordAndIdentityAsAWindowsHostSeesThemEqualLinux)
{
    SKIP_UNLESS(whyNoWine());
    for (bool ambix : {false, true}) {
        SCOPED_TRACE(dll(ambix));
        const Result windows = onWindows({"record", dll(ambix)});
        const Result linux = onLinux({"record", sharedObject(ambix)});
        ASSERT_EQ(windows.status, 0) << windows.err;
        ASSERT_EQ(linux.status, 0) << linux.err;
        EXPECT_EQ(windows.out, linux.out);
        // What a host checks first, stated here as well as compared.
        const auto said = lines(windows.out);
        const auto has = [&](const std::string& l) { return std::find(said.begin(), said.end(), l) != said.end(); };
        EXPECT_TRUE(has("magic VstP"));
        EXPECT_TRUE(has("inputs 1"));
        EXPECT_TRUE(has(ambix ? "outputs 16" : "outputs 7"));
        EXPECT_TRUE(has("parameters 7"));
        EXPECT_TRUE(has("programs 16"));
        EXPECT_TRUE(has("flags 0x11")) << "has an editor, can process replacing";
        EXPECT_TRUE(has(ambix ? "unique-id Nb2a" : "unique-id Nb2q"));
    }
}

TEST(WindowsPlugin, EveryValueAndTextOverASweepAndEveryProgramEqualLinux)
{
    SKIP_UNLESS(whyNoWine());
    for (bool ambix : {false, true}) {
        SCOPED_TRACE(dll(ambix));
        const Result windows = onWindows({"texts", dll(ambix)});
        const Result linux = onLinux({"texts", sharedObject(ambix)});
        ASSERT_EQ(windows.status, 0) << windows.err;
        ASSERT_EQ(linux.status, 0) << linux.err;
        const auto w = lines(windows.out), l = lines(linux.out);
        ASSERT_GT(l.size(), 1000u);
        ASSERT_EQ(w.size(), l.size());
        int differing = 0;
        for (size_t i = 0; i < l.size() && differing < 10; ++i)
            if (w[i] != l[i]) {
                ADD_FAILURE() << "line " << i << ": Windows '" << w[i] << "', Linux '" << l[i] << "'";
                ++differing;
            }
    }
}

// As hosts do: two instances, the DLL unloaded and loaded again, a host
// thread that used the plug-in ending after the DLL is gone (where a
// thread's storage the DLL left behind would hang or crash the host).
TEST(WindowsPlugin, InstancesReloadsAndAThreadOutlivingTheDll)
{
    SKIP_UNLESS(whyNoWine());
    for (bool ambix : {false, true}) {
        SCOPED_TRACE(dll(ambix));
        const Result r = onWindows({"lifecycle", dll(ambix)}, 60);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "lifecycle ok\n");
    }
}

// The trigonometry the DLLs carry gives the same bits built by mingw-w64
// and run under wine as built by g++ on Linux.
TEST(WindowsPlugin, TrigonometryGivesTheSameBitsOnBothSystems)
{
    SKIP_UNLESS(whyNoWine());
    const Result windows = onWindows({"trig"}), linux = onLinux({"trig"});
    ASSERT_EQ(windows.status, 0) << windows.err;
    EXPECT_EQ(windows.out, linux.out);
}

std::vector<float> samples(const std::string& path)
{
    const std::string bytes = readFile(path);
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    return out;
}

// Fixed and moving scenes, rendered by both plug-ins of each convention:
// every sample within a millionth of W's peak.
TEST(WindowsPlugin, RendersOfFixedAndMovingScenesEqualLinux)
{
    SKIP_UNLESS(whyNoWine());
    for (bool ambix : {false, true}) {
        for (const char* scene :
             {"front-far", "left-near-compensated", "behind-close", "raised-xyz", "moving", "moving-xy"}) {
            SCOPED_TRACE(std::string(scene) + (ambix ? " AmbiX" : " FuMa"));
            const std::string base = testing::TempDir() + "render-" + scene + (ambix ? "-ambix" : "-fuma");
            const Result windows = onWindows({"render", dll(ambix), scene, base + ".windows"});
            const Result linux = onLinux({"render", sharedObject(ambix), scene, base + ".linux"});
            ASSERT_EQ(windows.status, 0) << windows.err;
            ASSERT_EQ(linux.status, 0) << linux.err;
            EXPECT_EQ(windows.out, linux.out);
            const std::vector<float> w = samples(base + ".windows"), l = samples(base + ".linux");
            const size_t channels = ambix ? 16 : 7;
            ASSERT_EQ(l.size(), w.size());
            ASSERT_EQ(l.size() % channels, 0u);
            const size_t frames = l.size() / channels;
            // W is the first channel in both conventions (ACN 0).
            float peakW = 0.f;
            for (size_t i = 0; i < frames; ++i)
                peakW = std::max(peakW, std::fabs(l[i]));
            ASSERT_GT(peakW, 0.1f);
            double worst = 0.0;
            size_t worstAt = 0;
            for (size_t i = 0; i < l.size(); ++i) {
                ASSERT_TRUE(std::isfinite(w[i])) << "sample " << i;
                const double d = std::fabs(double(w[i]) - double(l[i]));
                if (d > worst) {
                    worst = d;
                    worstAt = i;
                }
            }
            EXPECT_LE(worst, 1e-6 * peakW) << "channel " << worstAt / frames << " frame " << worstAt % frames;
            std::remove((base + ".windows").c_str());
            std::remove((base + ".linux").c_str());
        }
    }
}

} // namespace
