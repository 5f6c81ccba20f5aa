#include "tests/lv2/UiHost.h"

UiHost::UiHost(Window parent, float scale, bool offerTouch) : scaleFactor(scale)
{
    parentFeature.data = reinterpret_cast<void*>(static_cast<uintptr_t>(parent));
    list = {&parentFeature, &resizeFeature, &mapFeature, &idleFeature};
    if (offerTouch)
        list.push_back(&touchFeature);
    if (scale > 0.f) {
        options[0] = {LV2_OPTIONS_INSTANCE, 0, map(this, LV2_UI__scaleFactor), sizeof(float),
                      map(this, LV2_ATOM__Float), &scaleFactor};
        list.push_back(&optionsFeature);
    }
    list.push_back(nullptr);
}

LV2_URID UiHost::map(LV2_URID_Map_Handle handle, const char* uri)
{
    auto& uris = static_cast<UiHost*>(handle)->uris;
    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri)
            return LV2_URID(i + 1);
    uris.push_back(uri);
    return LV2_URID(uris.size());
}

void UiHost::write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
{
    if (size == sizeof(float) && protocol == 0)
        static_cast<UiHost*>(controller)->writes.push_back({port, *static_cast<const float*>(buffer)});
}

int UiHost::resize(LV2UI_Feature_Handle handle, int width, int height)
{
    static_cast<UiHost*>(handle)->resizes.emplace_back(width, height);
    return 0;
}

void UiHost::touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
{
    static_cast<UiHost*>(handle)->touches.emplace_back(port, grabbed);
}

UiInstance::UiInstance(const LV2UI_Descriptor* d, const char* pluginUri, UiHost& host) : descriptor(d)
{
    handle = d->instantiate(d, pluginUri, host.bundle.c_str(), UiHost::write, host.controller(), &widgetData,
                            host.features());
    idleInterface = static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
    showInterface = static_cast<const LV2UI_Show_Interface*>(d->extension_data(LV2_UI__showInterface));
}

UiInstance::~UiInstance()
{
    if (handle)
        descriptor->cleanup(handle);
}

void UiInstance::sendDefaults()
{
    const float defaults[] = {0.f, 0.f, 4.f, 4.f, 4.f, 0.f, 0.f};
    for (uint32_t port = 0; port < 7; ++port)
        portEvent(port, defaults[port]);
}
