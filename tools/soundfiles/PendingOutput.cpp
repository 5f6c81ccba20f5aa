#include "tools/soundfiles/PendingOutput.h"

#include "tools/HostError.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// Temporary files to remove when the user interrupts the program. The signal
// handler may only read plain memory, hence fixed buffers.
constexpr int kMaxPending = 8;
constexpr int kMaxPathLength = 4096;
char pendingPaths[kMaxPending][kMaxPathLength];
volatile sig_atomic_t pendingUsed[kMaxPending];

extern "C" void removePendingAndExit(int signal)
{
    for (int i = 0; i < kMaxPending; ++i)
        if (pendingUsed[i])
            unlink(pendingPaths[i]);
    _exit(128 + signal);
}

int remember(const std::string& path)
{
    static bool handlersInstalled = false;
    if (!handlersInstalled) {
        std::signal(SIGINT, removePendingAndExit);
        std::signal(SIGTERM, removePendingAndExit);
        std::signal(SIGHUP, removePendingAndExit);
        handlersInstalled = true;
    }
    if (path.size() >= kMaxPathLength)
        return -1;
    for (int i = 0; i < kMaxPending; ++i) {
        if (!pendingUsed[i]) {
            std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
            pendingUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

void forget(int slot)
{
    if (slot >= 0)
        pendingUsed[slot] = 0;
}

std::string temporaryNameFor(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + base + ".partial-" + std::to_string(getpid());
}

} // namespace

PendingOutput::PendingOutput(const std::string& finalPath)
    : target(finalPath), temporary(temporaryNameFor(finalPath)), slot(remember(temporary))
{
}

PendingOutput::~PendingOutput()
{
    if (!committed)
        unlink(temporary.c_str());
    forget(slot);
}

void PendingOutput::commit()
{
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
        throw HostError("cannot write " + target + ": " + std::strerror(errno));
    committed = true;
}
