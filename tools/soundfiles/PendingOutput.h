#pragma once

#include <string>

// An output file written aside under a temporary name in the same folder and
// renamed into place by commit(). Until then the final path is never touched,
// so a failed or interrupted run leaves no half-written file behind: the
// destructor removes the temporary file, and so does Ctrl-C.
class PendingOutput {
public:
    explicit PendingOutput(const std::string& finalPath);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& temporaryPath() const { return temporary; }
    const std::string& finalPath() const { return target; }

    // Moves the finished file into place; throws HostError when it cannot.
    void commit();

private:
    std::string target;
    std::string temporary;
    int slot;
    bool committed = false;
};
