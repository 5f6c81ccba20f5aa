#include "toolkit/ResourceBundle.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

// Instances are created on whatever thread the host likes, and each one's
// editor installs the table; the table is read when an editor opens.
std::mutex tableLock;
const EmbeddedResource* embeddedTable = nullptr;
size_t embeddedCount = 0;

const char* const kExtensions[] = {"png", "bmp", "jpg", "pict"};
// What the plug-in's file name ends with, on the systems it is built for.
const char* const kModuleSuffixes[] = {".so", ".dll", ".DLL"};

bool isPng(const char* extension)
{
    return std::strcmp(extension, "png") == 0;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

NativeImage* loadFromOverride(const std::string& base)
{
    const std::string dir = ResourceBundle::overrideDirectory();
    if (dir.empty())
        return nullptr;
    // Only PNG can be decoded here; files in the other formats are passed
    // over, and a missing or broken PNG reads as nothing.
    for (const char* ext : kExtensions)
        if (isPng(ext))
            return NativeGraphics::readPngFile(dir + "/" + base + "." + ext);
    return nullptr;
}

NativeImage* loadEmbedded(const std::string& base)
{
    const std::lock_guard<std::mutex> lock(tableLock);
    for (const char* ext : kExtensions) {
        const std::string name = base + "." + ext;
        for (size_t i = 0; i < embeddedCount; ++i) {
            if (!isPng(ext) || name != embeddedTable[i].name)
                continue;
            return NativeGraphics::decodePng(embeddedTable[i].data, embeddedTable[i].size);
        }
    }
    return nullptr;
}

} // namespace

void ResourceBundle::install(const EmbeddedResource* table, size_t count)
{
    const std::lock_guard<std::mutex> lock(tableLock);
    embeddedTable = table;
    embeddedCount = table ? count : 0;
}

std::string ResourceBundle::overrideDirectory()
{
    std::string path = NativeGraphics::moduleFilePath();
    if (path.empty())
        return path;
    for (const std::string suffix : kModuleSuffixes) {
        if (endsWith(path, suffix)) {
            path.resize(path.size() - suffix.size());
            break;
        }
    }
    return path + ".resources";
}

NativeImage* ResourceBundle::load(long resourceNumber, double factor)
{
    const std::string base = baseName(resourceNumber, factor);
    NativeImage* image = loadFromOverride(base);
    if (!image)
        image = loadEmbedded(base);
    if (!image)
        std::fprintf(stderr, "velmora: bitmap resource %s not found\n", base.c_str());
    return image;
}
