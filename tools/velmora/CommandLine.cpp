#include "tools/velmora/CommandLine.h"

#include "tools/HostError.h"

#include <cerrno>
#include <cstdlib>

CommandLine::CommandLine(const std::vector<std::string>& arguments, const std::set<std::string>& withValue,
                         const std::set<std::string>& flags)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
            words.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        std::string inlineValue;
        const auto equals = name.find('=');
        const bool hasInlineValue = equals != std::string::npos;
        if (hasInlineValue) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (flags.count(name) != 0 && !hasInlineValue) {
            options[name].push_back("");
        } else if (withValue.count(name) != 0) {
            if (hasInlineValue) {
                options[name].push_back(inlineValue);
            } else {
                if (i + 1 >= arguments.size())
                    throw HostError("--" + name + " needs a value");
                options[name].push_back(arguments[++i]);
            }
        } else {
            throw HostError("unknown option --" + name);
        }
    }
}

bool CommandLine::has(const std::string& option) const
{
    return options.count(option) != 0;
}

std::string CommandLine::value(const std::string& option, const std::string& fallback) const
{
    const auto found = options.find(option);
    return found == options.end() ? fallback : found->second.back();
}

std::vector<std::string> CommandLine::values(const std::string& option) const
{
    const auto found = options.find(option);
    return found == options.end() ? std::vector<std::string>() : found->second;
}

int CommandLine::integer(const std::string& option, int fallback, int minimum, int maximum) const
{
    if (!has(option))
        return fallback;
    const std::string text = value(option);
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || number < minimum || number > maximum)
        throw HostError("--" + option + " " + text + ": expected a whole number from " +
                        std::to_string(minimum) + " to " + std::to_string(maximum));
    return static_cast<int>(number);
}

void CommandLine::expectPositional(size_t minimum, size_t maximum, const std::string& usage) const
{
    if (words.size() < minimum || words.size() > maximum)
        throw HostError("usage: velmora " + usage);
}
