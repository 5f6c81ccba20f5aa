#pragma once

#include <stdexcept>
#include <string>

// A failure the user can act on. Its message is one line, printed as
// "velmora: <message>" before the program exits with a non-zero status.
class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};
