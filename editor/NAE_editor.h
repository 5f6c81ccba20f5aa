#pragma once

#include "editor/EditorLink.h"
#include "resources/ScaledLayout.h"
#include "resources/EditorLayout.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CBitmap;
class CFrame;
class CParamDisplay;
class CVerticalSwitch;
class NelTouchPad;

// The plug-in's window: a bitmap background with the XY pad (x and y of
// the source), the x and y texts, the compensation-distance switch and its
// text. The controls are built from the plug-in's values at every open and
// always read the plug-in back, never the value a change came with, so the
// window shows what the plug-in holds after its own mapping and clamping.
//
// It reaches its plug-in only through an EditorLink: a VST 2.x effect
// directly, an LV2 plug-in through its ports. Either way the host drives it
// through the editor calls (getRect, open, idle, close).
//
// Threads: everything here runs on the thread that opens, idles and closes
// the window, except setParameter, which the effect calls on whatever thread
// applied a change. It only records which parameters moved; the next idle
// reads the plug-in's values and brings the controls and texts up to date.
class NAE_editor : public AEffGUIEditor, public CControlListener {
public:
    // `background` is the resource number of the window's background: the
    // plug-ins differ only in the footer that names their output convention.
    explicit NAE_editor(AudioEffect* effect, long background = EditorLayout::kBackgroundBitmap);
    // An editor of a plug-in that is no VST 2.x effect; `link` must outlive it.
    explicit NAE_editor(EditorLink& link, long background = EditorLayout::kBackgroundBitmap);
    ~NAE_editor() override;

    // The window's size at the display scale it opens (or is open) with.
    bool getRect(ERect** rect) override;
    // True when the window could be created in the host's window.
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    void doIdleStuff() override;
    // Any thread: records that the editor must catch up with `index`.
    void setParameter(VstInt32 index, float value) override;

    // Gestures go to the plug-in through the link.
    void beginEdit(long index) override;
    void endEdit(long index) override;

    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;

    // The host's display scale request (effVendorSpecific 'PreS'/'AeCs'):
    // false for a factor that is no positive number, which is ignored. The
    // factor is clamped to 1..3 and beats every other source from now on.
    // An open window is rebuilt at the new size when the host agrees to
    // resize it (audioMasterSizeWindow); otherwise the factor applies at the
    // next open.
    bool requestScale(float factor);

private:
    // Settles the display scale for the next window and the size it has.
    void takeScale();
    // The size the host is told: the background's.
    void fitRectToBackground();
    void buildControls(CFrame* newFrame);
    // Shows every change recorded since the last look.
    void catchUp();
    void showPosition();
    void showCompensation();
    float parameter(VstInt32 index) const;
    void sendPadPosition();
    void sendCompensation();
    void forgetSentValues();

    // With no link given, the editor links itself to the effect.
    NAE_editor(AudioEffect* effect, EditorLink* givenLink, long background);

    // The effect's own link, when the editor was made for a VST 2.x effect.
    const std::unique_ptr<EditorLink> ownLink;
    EditorLink& link;

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

    ScaledLayout layout; // the display scale of the window, open or next
    float hostScaleRequest = 0.f; // 0 until the host asks for a factor
    // Held from construction to destruction; drawn anew when the scale changes.
    const long backgroundNumber;
    CBitmap* backgroundBitmap = nullptr;
    CBitmap* nfcSwitchBitmap = nullptr; // held only while open() builds the controls
    CBitmap* padBitmap = nullptr;
    CBitmap* padHandleBitmap = nullptr;
};

// String converters of the three displays; userData is the editor's link.
// Each shows the plug-in's own text for its parameter, whatever value it gets.
void x_display(float value, char* string, void* userData);
void y_display(float value, char* string, void* userData);
void NFC_display(float value, char* string, void* userData);
