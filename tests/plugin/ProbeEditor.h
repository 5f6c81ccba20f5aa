// The probe's editor: answers yes where the host may ask it something (but no
// to key-up, so that both answers are seen) and reports every call.
#pragma once

#include "plugin/AEffEditor.h"

class ProbeEffect;

class ProbeEditor : public AEffEditor {
public:
    ProbeEditor(ProbeEffect* effect, audioMasterCallback hostCallback);
    ~ProbeEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool setKnobMode(VstInt32 mode) override;

    static constexpr ERect kRect = {0, 0, 240, 320};

private:
    void report(VstInt32 event, VstIntPtr argument = 0);

    // Kept apart from the effect: the editor is destroyed from the effect's
    // base destructor, when the effect's own operations are gone.
    audioMasterCallback hostCallback;
    AEffect* record;
    ERect rect = kRect;
};
