#pragma once

// What a frame needs from the editor it belongs to: edit gestures go to
// the host through it, and it runs the idle pass during mouse tracking.
class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    virtual void doIdleStuff() {}
    virtual void beginEdit(long /*index*/) {}
    virtual void endEdit(long /*index*/) {}
    virtual long getKnobMode() const { return 0; }
};
