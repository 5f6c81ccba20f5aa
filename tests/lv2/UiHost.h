#pragma once

// A small LV2 UI host for the tests: the features a host passes (parent
// window, resize, touch, options with the display scale, URID map, idle),
// what the editor sends back recorded, and the UI object's calls.

#include <X11/Xlib.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct PortWrite {
    uint32_t port;
    float value;
};

class UiHost {
public:
    // `parent` 0 offers ui:parent with null data, as jalv's console does;
    // `scale` 0 gives no scale factor.
    UiHost(Window parent, float scale = 0.f, bool offerTouch = true);
    UiHost(const UiHost&) = delete;
    UiHost& operator=(const UiHost&) = delete;

    const LV2_Feature* const* features() const { return list.data(); }
    static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                      const void* buffer);
    LV2UI_Controller controller() { return this; }

    std::string bundle; // what instantiate is told of the bundle's place
    std::vector<PortWrite> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
    std::vector<std::pair<int, int>> resizes;

private:
    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri);
    static int resize(LV2UI_Feature_Handle handle, int width, int height);
    static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);

    std::vector<std::string> uris;
    float scaleFactor;
    LV2_URID_Map mapData{this, map};
    LV2UI_Resize resizeData{this, resize};
    LV2UI_Touch touchData{this, touch};
    LV2_Options_Option options[2] = {};
    LV2_Feature parentFeature{LV2_UI__parent, nullptr};
    LV2_Feature resizeFeature{LV2_UI__resize, &resizeData};
    LV2_Feature touchFeature{LV2_UI__touch, &touchData};
    LV2_Feature mapFeature{LV2_URID__map, &mapData};
    LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
    LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
    std::vector<const LV2_Feature*> list;
};

// One UI instance through a descriptor, as a host drives it.
class UiInstance {
public:
    UiInstance(const LV2UI_Descriptor* descriptor, const char* pluginUri, UiHost& host);
    ~UiInstance();
    UiInstance(const UiInstance&) = delete;
    UiInstance& operator=(const UiInstance&) = delete;

    bool ok() const { return handle != nullptr; }
    Window widget() const { return Window(reinterpret_cast<uintptr_t>(widgetData)); }
    void portEvent(uint32_t port, float value) { descriptor->port_event(handle, port, sizeof value, 0, &value); }
    int idle() { return idleInterface->idle(handle); }
    int show() { return showInterface->show(handle); }
    int hide() { return showInterface->hide(handle); }
    // The values a host sends first: every control port's.
    void sendDefaults();

private:
    const LV2UI_Descriptor* descriptor;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widgetData = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    const LV2UI_Show_Interface* showInterface = nullptr;
};
