// velmora-winhost (Windows) and velmora-probe (its Linux twin): a small VST
// 2.x host for the tests that compare the Windows plug-ins with the Linux
// ones. Both load a plug-in file as a DAW does and ask it the same things.
//
//   record PLUGIN                 the effect record and identity answers
//   texts PLUGIN                  values and texts over a sweep of settings
//   render PLUGIN SCENE OUT       a scene's render as raw floats
//   lifecycle PLUGIN              loads, instances, unloads, a thread outliving it
//   bench PLUGIN [SECONDS]        ns per frame of processReplacing
//   trig                          a hash of the Windows build's trigonometry
//   edit PLUGIN [SCALE]           (Windows) the editor, driven from stdin
//   stress PLUGIN SECONDS         (Windows) audio, automation and editor threads

#include "tests/windows/ProbeCommands.h"
#ifdef _WIN32
#include "tests/windows/EditorHost.h"

#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: record|texts|lifecycle PLUGIN | render PLUGIN SCENE OUT | bench PLUGIN [SECONDS]"
#ifdef _WIN32
                         " | edit PLUGIN [SCALE] | stress PLUGIN SECONDS"
#endif
                         "\nscenes: %s\n",
                 probe::sceneNames().c_str());
    return 2;
}

int run(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "trig")
        return probe::trig();
    if (argc < 3)
        return usage();
    const std::string command = argv[1], plugin = argv[2];
    if (command == "record")
        return probe::record(plugin);
    if (command == "texts")
        return probe::texts(plugin);
    if (command == "render" && argc == 5)
        return probe::render(plugin, argv[3], argv[4]);
    if (command == "lifecycle")
        return probe::lifecycle(plugin);
    if (command == "bench")
        return probe::bench(plugin, argc > 3 ? std::atof(argv[3]) : 0.5);
#ifdef _WIN32
    if (command == "edit")
        return editorhost::edit(plugin, argc > 3 ? float(std::atof(argv[3])) : 0.f);
    if (command == "stress" && argc == 4)
        return editorhost::stress(plugin, std::atof(argv[3]));
#endif
    return usage();
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Lines end in \n alone, as on Linux, so both outputs compare as they are.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
