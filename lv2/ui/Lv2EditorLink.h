#pragma once

#include "dsp/NelAmbisonicEncoder.h"
#include "editor/EditorLink.h"
#include "effect/EncoderControl.h"
#include "lv2/Lv2PluginInfo.h"

#include <lv2/ui/ui.h>

#include <cstdint>

// The editor's link to an LV2 encoder plug-in, through its ports alone, so
// that a host may run the editor in another process.
//
// The host tells it every port's value (port_event); it keeps a position of
// its own from them, worked out by the same rules as the plug-in's, and
// answers the editor's questions from it. A change on the pad (x and y) is
// converted exactly as the plug-in converts it, pull-in to the 4 m circle
// included, and written to the polar input ports, the only ones a host
// writes; the position outputs the plug-in sends back then agree with it.
// Gestures become the host's touch, when it offers one.
//
// Every call comes on the host's UI thread.
class Lv2EditorLink : public EditorLink {
public:
    // `touch` may be null: the host then learns no gestures.
    Lv2EditorLink(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch);

    // A port's new value from the host. Answers the parameter whose view
    // moved, or -1 for a port that carries none (audio) or a value that
    // changes nothing.
    int portEvent(std::uint32_t port, float value);

    float parameter(int index) override;
    void parameterText(int index, char* text) override;
    void beginGesture(int index) override;
    void change(int index, float normalised) override;
    void endGesture(int index) override;
    // LV2 hosts give the window its size once; it never asks for another.
    bool resizeWindow(int width, int height) override;

private:
    void writeInput(std::uint32_t port);
    void touchPorts(int index, bool grabbed);

    const LV2UI_Write_Function write;
    const LV2UI_Controller controller;
    const LV2UI_Touch* const touch;
    NelAmbisonicEncoder position;
    EncoderControl rules;
    // What each polar input port holds, as last heard or written.
    float inputs[Lv2PluginInfo::kControlInputs];
};
