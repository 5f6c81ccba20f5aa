// Writes the LV2 bundle's Turtle files into the folder given, at build time;
// with --with-ui, the editor's too.
#include "lv2/Lv2PluginInfo.h"
#include "lv2/TurtleWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "velmora_lv2_turtle: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool withUi = argc == 3 && std::string(argv[2]) == "--with-ui";
    if (argc != 2 && !withUi) {
        std::fprintf(stderr, "usage: velmora_lv2_turtle BUNDLE_DIR [--with-ui]\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = writeFile(dir + "/manifest.ttl", TurtleWriter::manifest(withUi));
    for (int i = 0; i < Lv2PluginInfo::kCount; ++i)
        ok = writeFile(dir + "/" + Lv2PluginInfo::at(i).turtleFile, TurtleWriter::plugin(Lv2PluginInfo::at(i), withUi)) &&
             ok;
    if (withUi)
        ok = writeFile(dir + "/" + Lv2PluginInfo::kUiTurtleFile, TurtleWriter::ui()) && ok;
    else
        std::remove((dir + "/" + Lv2PluginInfo::kUiTurtleFile).c_str());
    return ok ? 0 : 1;
}
