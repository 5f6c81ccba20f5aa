#pragma once

#include "editor/NAE_editor.h"
#include "lv2/ui/Lv2EditorLink.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

class X11Window;

// One editor of an LV2 encoder plug-in, as an LV2 host sees it: the same
// window as the VST 2.x plug-ins' (NAE_editor), linked to its plug-in by
// ports. Embedded in the host's window when the host gives one (ui:parent),
// otherwise in a window of its own that the host shows and hides
// (ui:showInterface). The display scale is the host's (ui:scaleFactor) when
// it gives one, else the editor's own sources.
//
// Every call comes on the host's UI thread; instances share nothing but
// what the toolkit guards.
class Lv2EditorUi {
public:
    // Null when `pluginUri` names neither plug-in.
    static std::unique_ptr<Lv2EditorUi> create(const char* pluginUri, LV2UI_Write_Function write,
                                               LV2UI_Controller controller, LV2UI_Widget* widget,
                                               const LV2_Feature* const* features);
    ~Lv2EditorUi();
    Lv2EditorUi(const Lv2EditorUi&) = delete;
    Lv2EditorUi& operator=(const Lv2EditorUi&) = delete;

    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
    // Drains the window's events and redraws; non-zero once the user has
    // closed the window of its own.
    int idle();
    int show();
    int hide();

    struct HostFeatures;
    Lv2EditorUi(const Lv2PluginInfo& plugin, LV2UI_Write_Function write, LV2UI_Controller controller,
                const HostFeatures& host);

private:
    void embed(void* parent, LV2UI_Widget* widget);
    int width();
    int height();

    const Lv2PluginInfo& plugin;
    Lv2EditorLink link;
    NAE_editor editor;
    const LV2UI_Resize* resize;
    std::unique_ptr<X11Window> ownWindow; // while shown without a host window
    bool closedByUser = false;
};
