#include "lv2/ui/Lv2EditorUi.h"

#include "resources/EditorLayout.h"
#include "toolkit/CFrame.h"
#include "toolkit/X11Window.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>

// What the host offers, picked out of its feature list.
struct Lv2EditorUi::HostFeatures {
    bool hasParent = false;
    void* parent = nullptr; // may be null even when offered: no window to embed in
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    float scaleFactor = 0.f; // 0 when the host gives none

    explicit HostFeatures(const LV2_Feature* const* features);
};

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri, bool& found)
{
    found = false;
    for (int i = 0; features && features[i]; ++i)
        if (std::strcmp(features[i]->URI, uri) == 0) {
            found = true;
            return features[i]->data;
        }
    return nullptr;
}

// The ui:scaleFactor option: needs the host's URID map to recognise it.
float scaleFactorOf(const LV2_Options_Option* options, const LV2_URID_Map* map)
{
    if (options == nullptr || map == nullptr)
        return 0.f;
    const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
    for (const LV2_Options_Option* o = options; o->key != 0 || o->value != nullptr; ++o)
        if (o->key == scaleFactor && o->type == atomFloat && o->size == sizeof(float) && o->value)
            return *static_cast<const float*>(o->value);
    return 0.f;
}

LV2UI_Widget widgetOf(unsigned long window)
{
    return reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(window));
}

} // namespace

Lv2EditorUi::HostFeatures::HostFeatures(const LV2_Feature* const* features)
{
    bool found = false;
    parent = const_cast<void*>(featureData(features, LV2_UI__parent, hasParent));
    resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize, found));
    touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch, found));
    const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options, found));
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map, found));
    scaleFactor = scaleFactorOf(options, map);
}

std::unique_ptr<Lv2EditorUi> Lv2EditorUi::create(const char* pluginUri, LV2UI_Write_Function write,
                                                  LV2UI_Controller controller, LV2UI_Widget* widget,
                                                  const LV2_Feature* const* features)
{
    const Lv2PluginInfo* plugin = Lv2PluginInfo::find(pluginUri);
    if (plugin == nullptr || write == nullptr)
        return nullptr;
    const HostFeatures host(features);
    auto ui = std::make_unique<Lv2EditorUi>(*plugin, write, controller, host);
    if (widget)
        *widget = nullptr;
    if (host.parent != nullptr)
        ui->embed(host.parent, widget);
    return ui;
}

Lv2EditorUi::Lv2EditorUi(const Lv2PluginInfo& plugin_, LV2UI_Write_Function write, LV2UI_Controller controller,
                         const HostFeatures& host)
    : plugin(plugin_), link(write, controller, host.touch),
      // The AmbiX plug-in's window names its convention in the footer.
      editor(link, plugin_.identity.convention == OutputConvention::AmbiX ? EditorLayout::kAmbiXBackgroundBitmap
                                                                           : EditorLayout::kBackgroundBitmap),
      resize(host.resize)
{
    if (host.scaleFactor > 0.f)
        editor.requestScale(host.scaleFactor);
}

Lv2EditorUi::~Lv2EditorUi()
{
    hide();
    editor.close();
}

int Lv2EditorUi::width()
{
    ERect* r = nullptr;
    editor.getRect(&r);
    return r ? r->right - r->left : 0;
}

int Lv2EditorUi::height()
{
    ERect* r = nullptr;
    editor.getRect(&r);
    return r ? r->bottom - r->top : 0;
}

// The window goes into the host's, with its size in its hints; a host that
// can be told the size is told once.
void Lv2EditorUi::embed(void* parent, LV2UI_Widget* widget)
{
    const int w = width();
    const int h = height();
    editor.open(parent);
    CFrame* frame = editor.getFrame();
    if (widget && frame)
        *widget = widgetOf(frame->getWindowId());
    if (resize && resize->ui_resize)
        resize->ui_resize(resize->handle, w, h);
}

void Lv2EditorUi::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer)
{
    // Only plain control values: the plug-ins have no other kind of port.
    if (format != 0 || size != sizeof(float) || buffer == nullptr)
        return;
    const int moved = link.portEvent(port, *static_cast<const float*>(buffer));
    if (moved >= 0)
        editor.setParameter(moved, link.parameter(moved));
}

int Lv2EditorUi::idle()
{
    if (ownWindow) {
        WindowEvent event;
        while (ownWindow && ownWindow->nextEvent(event))
            if (event.kind == WindowEvent::kCloseRequested || event.kind == WindowEvent::kDestroyed) {
                hide();
                closedByUser = true;
            }
    }
    editor.idle();
    return closedByUser ? 1 : 0;
}

int Lv2EditorUi::show()
{
    if (ownWindow)
        return 0;
    ownWindow = X11Window::openTopLevel(plugin.identity.product, width(), height());
    if (!ownWindow)
        return 1;
    closedByUser = false;
    editor.open(reinterpret_cast<void*>(static_cast<uintptr_t>(ownWindow->id())));
    return 0;
}

int Lv2EditorUi::hide()
{
    if (!ownWindow)
        return 0;
    editor.close();
    ownWindow.reset();
    return 0;
}
