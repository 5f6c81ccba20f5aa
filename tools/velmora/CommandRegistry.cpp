#include "tools/velmora/CommandRegistry.h"

#include <algorithm>

namespace {

std::vector<Command>& commands()
{
    static std::vector<Command> list;
    return list;
}

} // namespace

void CommandRegistry::add(const Command& command)
{
    auto& list = commands();
    const auto position =
        std::lower_bound(list.begin(), list.end(), command,
                         [](const Command& a, const Command& b) { return std::string(a.name) < b.name; });
    list.insert(position, command);
}

const Command* CommandRegistry::find(const std::string& name)
{
    for (const Command& command : commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

const std::vector<Command>& CommandRegistry::all()
{
    return commands();
}
