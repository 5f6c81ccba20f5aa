#pragma once

#include "effect/NelAmbiEnc.h"

class AEffEditor;

// The object a host receives: the encoder effect with its editor window
// attached, every parameter change passed on to the editor.
class NelAmbiEncEdit : public NelAmbiEnc {
public:
    // The FuMa plug-in's identity unless another is given.
    explicit NelAmbiEncEdit(audioMasterCallback hostCallback,
                            const EffectIdentity& identity = EffectIdentity::fuma());
    ~NelAmbiEncEdit() override;

    // Passes the host's display scale request on to the editor.
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    VstInt32 getVendorVersion() override;
    // No category given, as the host has always seen it.
    VstInt32 getPlugCategory() override;

protected:
    // Tells the editor to catch up with the change at its next idle.
    void parameterApplied(VstInt32 index) override;

private:
    // The editor window's object for this effect, or null while the plug-in
    // is built without one.
    AEffEditor* createEditor();
    // Records a parameter change for the editor, open or not; touches no
    // window, so any thread may call it.
    void mirrorToEditor(VstInt32 index, float value);
    // 1 when the request was the editor's scale request and the factor
    // usable, 0 otherwise (no editor, another request, a bad factor).
    VstIntPtr passScaleRequest(VstInt32 index, VstIntPtr value, float factor);
};
