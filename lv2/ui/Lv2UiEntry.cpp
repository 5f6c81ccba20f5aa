// The UI object's one export, lv2ui_descriptor: the editor of both encoder
// plug-ins as LV2 hosts call it. Everything here turns the host's C calls
// into Lv2EditorUi's and keeps exceptions from reaching the host.
#include "lv2/Lv2PluginInfo.h"
#include "lv2/ui/Lv2EditorUi.h"

#include <lv2/ui/ui.h>

#include <cstring>

namespace {

Lv2EditorUi* uiOf(LV2UI_Handle handle)
{
    return static_cast<Lv2EditorUi*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    try {
        return Lv2EditorUi::create(pluginUri, write, controller, widget, features).release();
    } catch (...) {
        return nullptr; // out of memory: the host goes on without this editor
    }
}

void cleanup(LV2UI_Handle ui)
{
    delete uiOf(ui);
}

void portEvent(LV2UI_Handle ui, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    uiOf(ui)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle ui)
{
    return uiOf(ui)->idle();
}

int show(LV2UI_Handle ui)
{
    return uiOf(ui)->show();
}

int hide(LV2UI_Handle ui)
{
    return uiOf(ui)->hide();
}

const LV2UI_Idle_Interface kIdle = {idle};
const LV2UI_Show_Interface kShow = {show, hide};

const void* extensionData(const char* uri)
{
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdle;
    if (std::strcmp(uri, LV2_UI__showInterface) == 0)
        return &kShow;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {Lv2PluginInfo::kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
