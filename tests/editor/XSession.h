#pragma once

// Test plumbing for real windows: an Xvfb server of the test's own
// (started with -displayfd, stopped by its pid), child processes whose
// output lines the test waits for, xdotool driving the pointer through
// XTEST, and screenshots read back.

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
#include <utility>
#include <vector>

extern char** environ;

namespace xsession {

inline bool onPath(const char* program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

inline void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Starts a program found on $PATH. Each pair places one of our descriptors
// (opened close-on-exec, so nothing else leaks into the child) at a number
// in the child; quiet sends its standard error, and its standard output
// unless a pair places something there, to /dev/null. (A server left behind
// by a test that died must not hold ctest's output pipe open.)
inline pid_t spawn(const std::vector<std::string>& args, const std::vector<std::pair<int, int>>& fds = {},
                   bool quiet = false)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [ours, theirs] : fds)
        posix_spawn_file_actions_adddup2(&actions, ours, theirs);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        bool placesOutput = false;
        for (const auto& pair : fds)
            placesOutput = placesOutput || pair.second == 1;
        if (!placesOutput)
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const bool ok = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return ok ? pid : -1;
}

inline void stop(pid_t& pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

// Reads lines from fd until one starts with prefix or the time is up.
class LineReader {
public:
    bool waitFor(const std::string& prefix, std::string& line, int timeoutMs = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            while (next < lines.size()) {
                line = lines[next++];
                if (line.compare(0, prefix.size(), prefix) == 0)
                    return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            char buf[4096];
            ssize_t n = 0;
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0 ||
                (n = ::read(fd, buf, sizeof buf)) <= 0)
                return false;
            partial.append(buf, size_t(n));
            for (size_t nl; (nl = partial.find('\n')) != std::string::npos; partial.erase(0, nl + 1))
                lines.push_back(partial.substr(0, nl));
        }
    }

    int fd = -1;
    // Every line read so far, including those waitFor passed over.
    std::vector<std::string> lines;

private:
    size_t next = 0;
    std::string partial;
};

// An Xvfb server on a display number it picks itself; sets $DISPLAY and
// clears the display scale variables.
class Xvfb {
public:
    // screen: WIDTHxHEIGHTxDEPTH; the editor at factor 3 needs 990 x 816.
    bool start(const std::string& screen = "640x480x24")
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        pid = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"}, {{fds[1], 3}},
                    true);
        ::close(fds[1]);
        LineReader reader;
        reader.fd = fds[0];
        std::string number;
        const bool ok = pid > 0 && reader.waitFor("", number, 10000) && !number.empty();
        ::close(fds[0]);
        // The desktop's display scale settings would follow into the
        // editors this server shows; the tests say the scale themselves.
        ::unsetenv("VELMORA_UI_SCALE");
        ::unsetenv("GDK_SCALE");
        return ok && ::setenv("DISPLAY", (":" + number).c_str(), 1) == 0;
    }
    ~Xvfb() { stop(pid); }

private:
    pid_t pid = -1;
};

// A program under test, talked to through its standard input and output.
class Child {
public:
    bool start(const std::vector<std::string>& args)
    {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return false;
        pid = spawn(args, {{in[0], 0}, {out[1], 1}});
        ::close(in[0]);
        ::close(out[1]);
        toChild = in[1];
        output.fd = out[0];
        return pid > 0;
    }
    void send(const std::string& line)
    {
        const std::string l = line + "\n";
        (void)!::write(toChild, l.data(), l.size());
    }
    // Waits for the child to end by itself; its exit status, or -1.
    int wait(int timeoutMs = 5000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
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
        ::close(toChild);
        ::close(output.fd);
    }

    LineReader output;

private:
    pid_t pid = -1;
    int toChild = -1;
};

// xdotool through XTEST, run to its end: never --window on button or key
// commands.
inline bool xdo(std::vector<std::string> args)
{
    args.insert(args.begin(), "xdotool");
    pid_t pid = spawn(args);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline bool moveTo(const std::string& window, long x, long y)
{
    return xdo({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
}

// Presses the left button at (x, y) in the window, moves the pointer by
// (dx, dy) four times with a pause for the idle calls between, lets go.
inline bool drag(const std::string& window, long x, long y, long dx, long dy)
{
    bool ok = moveTo(window, x, y);
    pause(50);
    ok = ok && xdo({"mousedown", "1"});
    for (int step = 1; ok && step <= 4; ++step) {
        pause(50);
        ok = moveTo(window, x + dx * step, y + dy * step);
    }
    pause(150);
    return xdo({"mouseup", "1"}) && ok;
}

// A screenshot read back, one pixel at a time as 0xRRGGBB.
struct Png {
    explicit Png(const std::string& path) : s(cairo_image_surface_create_from_png(path.c_str())) {}
    explicit Png(cairo_surface_t* surface) : s(surface) {} // takes it over
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;
    long width() const { return cairo_image_surface_get_width(s); }
    long height() const { return cairo_image_surface_get_height(s); }
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
