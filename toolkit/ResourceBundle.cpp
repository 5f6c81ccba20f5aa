#include "toolkit/ResourceBundle.h"

#include <cairo.h>
#include <dlfcn.h>
#include <sys/stat.h>

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

struct ByteReader {
    const unsigned char* data;
    unsigned long remaining;
};

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length)
{
    auto* r = static_cast<ByteReader*>(closure);
    if (length > r->remaining)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data, length);
    r->data += length;
    r->remaining -= length;
    return CAIRO_STATUS_SUCCESS;
}

// Cairo reports decoding failures through an error surface rather than null.
cairo_surface_t* keepIfDecoded(cairo_surface_t* s)
{
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS)
        return s;
    cairo_surface_destroy(s);
    return nullptr;
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isPng(const char* extension)
{
    return std::strcmp(extension, "png") == 0;
}

cairo_surface_t* loadFromOverride(const std::string& base)
{
    const std::string dir = ResourceBundle::overrideDirectory();
    if (dir.empty())
        return nullptr;
    for (const char* ext : kExtensions) {
        const std::string path = dir + "/" + base + "." + ext;
        // Only PNG can be decoded here; other formats are passed over.
        if (!isPng(ext) || !isRegularFile(path))
            continue;
        return keepIfDecoded(cairo_image_surface_create_from_png(path.c_str()));
    }
    return nullptr;
}

cairo_surface_t* loadEmbedded(const std::string& base)
{
    const std::lock_guard<std::mutex> lock(tableLock);
    for (const char* ext : kExtensions) {
        const std::string name = base + "." + ext;
        for (size_t i = 0; i < embeddedCount; ++i) {
            if (!isPng(ext) || name != embeddedTable[i].name)
                continue;
            ByteReader reader{embeddedTable[i].data, embeddedTable[i].size};
            return keepIfDecoded(cairo_image_surface_create_from_png_stream(readBytes, &reader));
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
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&ResourceBundle::load), &info) || !info.dli_fname)
        return std::string();
    std::string path = info.dli_fname;
    const std::string so = ".so";
    if (path.size() > so.size() && path.compare(path.size() - so.size(), so.size(), so) == 0)
        path.resize(path.size() - so.size());
    return path + ".resources";
}

cairo_surface_t* ResourceBundle::load(long resourceNumber)
{
    char base[32];
    std::snprintf(base, sizeof base, "bmp%05ld", resourceNumber);
    cairo_surface_t* s = loadFromOverride(base);
    if (!s)
        s = loadEmbedded(base);
    if (!s)
        std::fprintf(stderr, "velmora: bitmap resource %s not found\n", base);
    return s;
}
