#pragma once

#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

class CBitmap;
class CFrame;
class CParamDisplay;
class CVerticalSwitch;
class NelTouchPad;

// The plug-in's window: a bitmap background with the XY pad (x and y of
// the source), the x and y texts, the compensation-distance switch and its
// text. The controls are built from the effect's values at every open and
// always read the effect back, never the value a change came with, so the
// window shows what the effect holds after its own mapping and clamping.
class NAE_editor : public AEffGUIEditor, public CControlListener {
public:
    explicit NAE_editor(AudioEffect* effect);
    ~NAE_editor() override;

    // True when the window could be created in the host's window.
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    void setParameter(VstInt32 index, float value) override;

    void valueChanged(CControl* control) override;

private:
    void buildControls(CFrame* newFrame);
    void showPosition();
    void showCompensation();
    float parameter(VstInt32 index) const;

    // Valid only while the window is open; the frame owns them.
    NelTouchPad* touchPad = nullptr;
    CVerticalSwitch* nfcSwitch = nullptr;
    CParamDisplay* nfcDisplay = nullptr;
    CParamDisplay* xDisplay = nullptr;
    CParamDisplay* yDisplay = nullptr;

    CBitmap* backgroundBitmap = nullptr; // held from construction to destruction
    CBitmap* nfcSwitchBitmap = nullptr; // held only while open() builds the controls
    CBitmap* padBitmap = nullptr;
    CBitmap* padHandleBitmap = nullptr;
};

// String converters of the three displays; userData is the effect. Each
// shows the effect's own text for its parameter, whatever value it gets.
void x_display(float value, char* string, void* userData);
void y_display(float value, char* string, void* userData);
void NFC_display(float value, char* string, void* userData);
