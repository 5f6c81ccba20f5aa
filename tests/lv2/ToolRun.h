#pragma once

// Runs one of the LV2 tools (serdi, lv2info, lv2apply, jalv ...) as a user
// runs it, from a shell, and keeps what it said.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

struct ToolRun {
    int status = -1; // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;

    static bool available(const std::string& tool)
    {
        return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
    }

    // `command` is shell text; standard input is /dev/null unless it says
    // otherwise.
    static ToolRun of(const std::string& command)
    {
        const std::string base = "/tmp/velmora-lv2-tool-" + std::to_string(getpid());
        const int raw = std::system(("(" + command + ") </dev/null >" + base + ".out 2>" + base + ".err").c_str());
        ToolRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = slurp(base + ".out");
        run.err = slurp(base + ".err");
        std::remove((base + ".out").c_str());
        std::remove((base + ".err").c_str());
        return run;
    }

    static std::string slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};
