// tests: saves the state of a plug-in instance as a preset the way LV2 hosts
// do (lilv), so that another host can load it back.
//   velmora_lv2_save_preset URI PRESET_URI LABEL DIR SYMBOL=VALUE...
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> uris;

LV2_URID map(LV2_URID_Map_Handle, const char* uri)
{
    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri)
            return static_cast<LV2_URID>(i + 1);
    uris.push_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

const char* unmap(LV2_URID_Unmap_Handle, LV2_URID urid)
{
    return urid > 0 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

std::map<std::string, float> values;
LV2_URID floatType;

const void* portValue(const char* symbol, void*, uint32_t* size, uint32_t* type)
{
    auto found = values.find(symbol);
    if (found == values.end()) {
        *size = 0;
        return nullptr;
    }
    *size = sizeof(float);
    *type = floatType;
    return &found->second;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s URI PRESET_URI LABEL DIR SYMBOL=VALUE...\n", argv[0]);
        return 2;
    }
    for (int i = 5; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (equals == nullptr)
            return 2;
        values[std::string(argv[i], static_cast<size_t>(equals - argv[i]))] = std::strtof(equals + 1, nullptr);
    }
    LV2_URID_Map mapFeature = {nullptr, map};
    LV2_URID_Unmap unmapFeature = {nullptr, unmap};
    floatType = map(nullptr, LV2_ATOM__Float);

    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    LilvNode* uri = lilv_new_uri(world, argv[1]);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    if (plugin == nullptr) {
        std::fprintf(stderr, "no plug-in %s\n", argv[1]);
        return 1;
    }
    LilvInstance* instance = lilv_plugin_instantiate(plugin, 48000.0, nullptr);
    if (instance == nullptr)
        return 1;
    LilvState* state = lilv_state_new_from_instance(plugin, instance, &mapFeature, nullptr, nullptr, nullptr,
                                                    nullptr, portValue, nullptr, 0, nullptr);
    lilv_state_set_label(state, argv[3]);
    const int failed = lilv_state_save(world, &mapFeature, &unmapFeature, state, argv[2], argv[4], "preset.ttl");
    lilv_state_free(state);
    lilv_instance_free(instance);
    lilv_node_free(uri);
    lilv_world_free(world);
    return failed ? 1 : 0;
}
