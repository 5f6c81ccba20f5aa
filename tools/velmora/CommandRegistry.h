#pragma once

#include <string>
#include <vector>

// The subcommands of `velmora`. Each lives in its own source file and adds
// itself with a file-scope CommandRegistration, so a new subcommand is one
// new file in the program's source list.
struct Command {
    const char* name;
    const char* usage; // arguments after the name, for the help text
    const char* summary; // one line
    int (*run)(const std::vector<std::string>& arguments);
};

class CommandRegistry {
public:
    static void add(const Command& command);
    static const Command* find(const std::string& name);
    static const std::vector<Command>& all();
};

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { CommandRegistry::add(command); }
};
