#include "tools/pluginhost/ParameterResolver.h"

#include "effect/ParameterTable.h"
#include "tools/HostError.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char kNormalisedPrefix[] = "norm:";

std::string lowerTrimmed(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto first = out.find_first_not_of(' ');
    const auto last = out.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
}

bool parseNumber(const std::string& text, double& number)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    number = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(number);
}

std::string formatNumber(double number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", number);
    return text;
}

} // namespace

ParameterResolver::ParameterResolver(bool own, std::vector<std::string> pluginNames)
    : ownTable(own), names(std::move(pluginNames))
{
}

int ParameterResolver::index(const std::string& name) const
{
    if (ownTable) {
        const int found = ParameterTable::findByKeyOrName(name.c_str());
        if (found >= 0)
            return found;
    } else {
        const std::string wanted = lowerTrimmed(name);
        for (size_t i = 0; i < names.size(); ++i)
            if (!wanted.empty() && lowerTrimmed(names[i]) == wanted)
                return static_cast<int>(i);
    }
    throw HostError("unknown parameter '" + name + "' (known: " + knownNames() + ")");
}

float ParameterResolver::value(int index, const std::string& rawText) const
{
    const std::string text = lowerTrimmed(rawText);
    const std::string name = displayName(index);
    double number = 0.0;
    if (text.compare(0, sizeof kNormalisedPrefix - 1, kNormalisedPrefix) == 0 || !ownTable) {
        const std::string digits = ownTable ? text.substr(sizeof kNormalisedPrefix - 1) : text;
        if (!parseNumber(digits, number))
            throw HostError(name + ": '" + rawText + "' is not a number");
        if (number < 0.0 || number > 1.0)
            throw HostError(name + ": normalised value " + rawText + " is out of range 0..1");
        return static_cast<float>(number);
    }
    const ParameterInfo& info = ParameterTable::info(index);
    const bool hasOff = info.text == ValueText::MetresOrOff;
    if (hasOff && text == "off")
        return ParameterTable::toNormalised(index, ParameterTable::kOffSentinel);
    if (!parseNumber(text, number))
        throw HostError(name + ": '" + rawText + "' is not a number" + (hasOff ? " or off" : ""));
    if (number < ParameterTable::userMinimum(index) || number > ParameterTable::userMaximum(index))
        throw HostError(name + ": " + rawText + " is out of range " + rangeText(index) + " " + info.label);
    return ParameterTable::normalisedFromUser(index, number);
}

ParameterResolver::Assignment ParameterResolver::assignment(const std::string& text) const
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        throw HostError("'" + text + "' is not NAME=VALUE");
    const int found = index(text.substr(0, equals));
    return {found, value(found, text.substr(equals + 1))};
}

std::string ParameterResolver::rangeText(int index)
{
    return formatNumber(ParameterTable::userMinimum(index)) + ".." +
        formatNumber(ParameterTable::userMaximum(index));
}

std::string ParameterResolver::displayName(int index) const
{
    if (ownTable)
        return ParameterTable::info(index).key;
    return index >= 0 && index < static_cast<int>(names.size()) ? lowerTrimmed(names[index])
                                                                : std::to_string(index);
}

std::string ParameterResolver::knownNames() const
{
    std::string list;
    const int count = ownTable ? ParameterTable::kCount : static_cast<int>(names.size());
    for (int i = 0; i < count; ++i)
        list += (i > 0 ? ", " : "") + displayName(i);
    return list;
}
