#pragma once

// Running the Windows build's test host (velmora-winhost.exe) under wine
// beside its Linux twin (velmora-probe) on the Linux plug-ins.
//
// The Windows build is $VELMORA_WINDOWS_BUILD, else build/windows beside
// this build. Wine runs in $WINEPREFIX, which `make test` prepares once per
// run (scripts/wine-env.sh) and marks ready; the editor tests show their
// windows on $DISPLAY. Without these the tests skip, saying why.

#include "tests/editor/XSession.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace winesession {

inline bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

inline std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

inline std::string windowsBuild()
{
    const std::string given = environment("VELMORA_WINDOWS_BUILD");
    return given.empty() ? VELMORA_WINDOWS_BUILD_DEFAULT : given;
}

inline std::string winHost()
{
    return windowsBuild() + "/tests/windows/velmora-winhost.exe";
}

inline std::string dll(bool ambix)
{
    return windowsBuild() + (ambix ? "/corvane-velmora-xy3-2d-ambix.dll" : "/corvane-velmora-xy3-2d.dll");
}

inline std::string sharedObject(bool ambix)
{
    return ambix ? VELMORA_AMBIX_PATH : VELMORA_FUMA_PATH;
}

// Why the DLLs cannot be looked at here, or "".
inline std::string whyNoWindowsBuild()
{
    if (!exists(dll(false)) || !exists(dll(true)) || !exists(winHost()))
        return "no Windows build in " + windowsBuild() +
            " (make builds it where x86_64-w64-mingw32-g++-posix is installed)";
    return "";
}

// Why the Windows host cannot run here, or "".
inline std::string whyNoWine()
{
    const std::string build = whyNoWindowsBuild();
    if (!build.empty())
        return build;
    if (!xsession::onPath("wine"))
        return "no wine (scripts/install-deps.sh installs it)";
    const std::string prefix = environment("WINEPREFIX");
    if (prefix.empty() || !exists(prefix + "/.velmora-ready"))
        return "no prepared WINEPREFIX (make test prepares one with scripts/wine-env.sh)";
    return "";
}

// Why the editor cannot be shown here, or "".
inline std::string whyNoWineDesktop()
{
    const std::string wine = whyNoWine();
    if (!wine.empty())
        return wine;
    if (environment("DISPLAY").empty() || !xsession::onPath("xdotool"))
        return "no X server in $DISPLAY or no xdotool for the wine windows";
    return "";
}

inline std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a program to its end (killed after `seconds`); what it printed.
inline Result run(const std::vector<std::string>& args, int seconds = 120)
{
    static int serial = 0;
    const std::string base = testing::TempDir() + "winesession-" + std::to_string(::getpid()) + "-" +
        std::to_string(serial++);
    std::string command = "timeout " + std::to_string(seconds);
    for (const auto& a : args)
        command += " " + quoted(a);
    command += " >" + quoted(base + ".out") + " 2>" + quoted(base + ".err");
    const int raw = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(base + ".out");
    r.err = readFile(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

// The Windows host under wine, and its Linux twin.
inline Result onWindows(std::vector<std::string> args, int seconds = 120)
{
    args.insert(args.begin(), {"wine", winHost()});
    return run(args, seconds);
}

inline Result onLinux(std::vector<std::string> args)
{
    args.insert(args.begin(), VELMORA_PROBE);
    return run(args);
}

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

} // namespace winesession
