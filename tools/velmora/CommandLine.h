#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Splits a subcommand's arguments into positional words and "--name value"
// or "--flag" options. Options that may repeat (--set) keep every value.
class CommandLine {
public:
    // `withValue`: options that take a value; `flags`: options that do not.
    CommandLine(const std::vector<std::string>& arguments, const std::set<std::string>& withValue,
                const std::set<std::string>& flags);

    const std::vector<std::string>& positional() const { return words; }
    bool has(const std::string& option) const;
    // The last value given, or `fallback`.
    std::string value(const std::string& option, const std::string& fallback = "") const;
    std::vector<std::string> values(const std::string& option) const;
    // A whole number within minimum..maximum; throws HostError otherwise.
    int integer(const std::string& option, int fallback, int minimum, int maximum) const;

    // Throws HostError unless there are between `minimum` and `maximum` words.
    void expectPositional(size_t minimum, size_t maximum, const std::string& usage) const;

private:
    std::vector<std::string> words;
    std::map<std::string, std::vector<std::string>> options;
};
