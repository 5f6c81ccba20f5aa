#pragma once

#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

#include <atomic>
#include <cstdint>

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
//
// Threads: everything here runs on the thread that opens, idles and closes
// the window, except setParameter, which the effect calls on whatever thread
// applied a change. It only records which parameters moved; the next idle
// reads the effect's values and brings the controls and texts up to date.
class NAE_editor : public AEffGUIEditor, public CControlListener {
public:
    explicit NAE_editor(AudioEffect* effect);
    ~NAE_editor() override;

    // True when the window could be created in the host's window.
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    void doIdleStuff() override;
    // Any thread: records that the editor must catch up with `index`.
    void setParameter(VstInt32 index, float value) override;

    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;

private:
    void buildControls(CFrame* newFrame);
    // Shows every change recorded since the last look.
    void catchUp();
    void showPosition();
    void showCompensation();
    float parameter(VstInt32 index) const;
    void sendPadPosition();
    void sendCompensation();
    void forgetSentValues();

    // One bit per parameter index changed since the editor last looked.
    std::atomic<std::uint32_t> pendingChanges{0};

    // What the controls last sent to the host within the current gesture. A
    // control that tracks the mouse reports its value again whenever it
    // differs from what it shows, and it shows the effect's value, which the
    // mapping may round differently; the same mouse position is not sent
    // twice.
    float sentPadX = -1.f;
    float sentPadY = -1.f;
    float sentSwitch = -1.f;

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
