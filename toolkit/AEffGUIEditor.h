#pragma once

#include "plugin/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <atomic>
#include <vector>

class CFrame;

// The bridge between the host's editor opcodes and a toolkit frame. A
// subclass builds its frame in open() and gives it up in close() with
// destroyFrame(); the bridge registers itself with the effect, answers the
// window size, runs the frame in the host's idle calls and passes edit
// gestures from the controls on to the effect.
class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    // Told by the effect after every parameter change; nothing here.
    virtual void setParameter(VstInt32 index, float value);

    bool setKnobMode(VstInt32 mode) override;
    long getKnobMode() const override { return knobMode; }

    // One idle pass while a control tracks the mouse: redraws what changed
    // and lets the host idle (host request 3).
    void doIdleStuff() override;
    void beginEdit(long index) override;
    void endEdit(long index) override;

    CFrame* getFrame() const { return frame; }

protected:
    // Deletes the frame and clears the pointer. Called from inside a
    // control's mouse loop (a host that closes the editor from its idle
    // callback), it removes the window at once and deletes the frame when
    // the loop has unwound.
    void destroyFrame();

    ERect rect;
    CFrame* frame = nullptr;

private:
    void deleteRetiredFrames();

    std::vector<CFrame*> retiredFrames;
    int frameBusy = 0; // depth of idle passes that are running the frame
    // Shared by every editor in the process, whichever thread opens one.
    static std::atomic<long> knobMode;
};
