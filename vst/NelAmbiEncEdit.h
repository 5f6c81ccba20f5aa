#pragma once

#include "effect/NelAmbiEnc.h"

class AEffEditor;

// The object a host receives: the encoder effect with its editor window
// attached, every parameter change mirrored into the editor.
class NelAmbiEncEdit : public NelAmbiEnc {
public:
    explicit NelAmbiEncEdit(audioMasterCallback hostCallback);
    ~NelAmbiEncEdit() override;

    void setParameter(VstInt32 index, float value) override;
    VstInt32 getVendorVersion() override;
    // No category given, as the host has always seen it.
    VstInt32 getPlugCategory() override;

private:
    // The editor window's object for this effect, or null while the plug-in
    // is built without one.
    AEffEditor* createEditor();
    // Shows a parameter change in the editor, open or not.
    void mirrorToEditor(VstInt32 index, float value);
};
