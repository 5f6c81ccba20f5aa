// velmora: a command-line host that loads a VST 2.x plug-in the way a DAW
// does and runs it on sound files.

#include "tools/velmora/CommandRegistry.h"
#include "tools/HostError.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

int printHelp(FILE* out)
{
    std::fprintf(out, "usage: velmora COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command& command : CommandRegistry::all())
        std::fprintf(out, "  %-8s %s\n           velmora %s %s\n", command.name, command.summary,
                     command.name, command.usage);
    return out == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return printHelp(stderr);
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h")
        return printHelp(stdout);
    const Command* command = CommandRegistry::find(name);
    if (command == nullptr) {
        std::fprintf(stderr, "velmora: unknown command '%s' (try: velmora help)\n", name.c_str());
        return 2;
    }
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        std::printf("usage: velmora %s %s\n%s\n", command->name, command->usage, command->summary);
        return 0;
    }
    try {
        return command->run(arguments);
    } catch (const HostError& error) {
        std::fprintf(stderr, "velmora: %s\n", error.what());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora: unexpected failure: %s\n", error.what());
    }
    return 1;
}
