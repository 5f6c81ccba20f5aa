#pragma once

// Test plumbing for real windows: an Xvfb server of the test's own
// (started with -displayfd, stopped by its pid), child processes whose
// output lines the test waits for, and xdotool driving the pointer through
// XTEST.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cairo.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace xsession {

inline bool onPath(const char* program)
{
    const std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

inline void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

inline pid_t spawn(const std::vector<std::string>& args, posix_spawn_file_actions_t* actions)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

inline void stop(pid_t& pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
}

// Reads lines from fd until one starts with prefix or the time is up.
class LineReader {
public:
    explicit LineReader(int fd = -1) : fd(fd) {}
    void attach(int f) { fd = f; }

    bool waitFor(const std::string& prefix, std::string& line, int timeoutMs = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            while (next < lines.size()) {
                const std::string& l = lines[next++];
                if (l.compare(0, prefix.size(), prefix) == 0) {
                    line = l;
                    return true;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(int(left.count())))
                return false;
        }
    }

    // Every line read so far, including those waitFor passed over.
    std::vector<std::string> lines;

private:
    bool readSome(int timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        partial.append(buf, size_t(n));
        size_t nl;
        while ((nl = partial.find('\n')) != std::string::npos) {
            lines.push_back(partial.substr(0, nl));
            partial.erase(0, nl + 1);
        }
        return true;
    }

    int fd;
    size_t next = 0;
    std::string partial;
};

// An Xvfb server on a display number it picks itself; sets $DISPLAY.
class Xvfb {
public:
    bool start()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "640x480x24", "-nolisten", "tcp"}, &actions);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        LineReader reader(fds[0]);
        std::string number;
        const bool ok = pid > 0 && reader.waitFor("", number, 10000) && !number.empty();
        ::close(fds[0]);
        if (!ok)
            return false;
        display = ":" + number;
        ::setenv("DISPLAY", display.c_str(), 1);
        return true;
    }
    ~Xvfb() { stop(pid); }

    std::string display;

private:
    pid_t pid = -1;
};

// A program under test, talked to through its standard input and output.
class Child {
public:
    bool start(const std::vector<std::string>& args)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        pid = spawn(args, &actions);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        toChild = in[1];
        fromChild = out[0];
        output.attach(fromChild);
        return pid > 0;
    }
    void send(const std::string& line)
    {
        const std::string l = line + "\n";
        if (::write(toChild, l.data(), l.size()) < 0)
            return;
    }
    // Waits for the child to end by itself; its exit status, or -1.
    int wait(int timeoutMs = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            pause(10);
        }
        return -1;
    }
    ~Child()
    {
        stop(pid);
        if (toChild >= 0)
            ::close(toChild);
        if (fromChild >= 0)
            ::close(fromChild);
    }

    LineReader output;

private:
    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
};

// xdotool through XTEST, run to its end: never --window on button or key
// commands.
inline bool xdo(std::vector<std::string> args)
{
    args.insert(args.begin(), "xdotool");
    pid_t pid = spawn(args, nullptr);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline bool moveTo(const std::string& window, long x, long y)
{
    return xdo({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
}

// A screenshot read back, one pixel at a time as 0xRRGGBB.
struct Png {
    explicit Png(const std::string& path) : s(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Png() { cairo_surface_destroy(s); }
    bool ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
    unsigned at(long x, long y) const
    {
        const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return reinterpret_cast<const unsigned*>(row)[x] & 0xffffff;
    }
    cairo_surface_t* s;
};

// The handle's accent blue.
inline bool isHandle(unsigned rgb)
{
    return ((rgb >> 16) & 255) < 80 && ((rgb >> 8) & 255) > 140 && (rgb & 255) > 220;
}

} // namespace xsession
