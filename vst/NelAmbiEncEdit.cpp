#include "vst/NelAmbiEncEdit.h"

#include "plugin/AEffEditor.h"

#ifdef VELMORA_WITH_EDITOR
#include "editor/NAE_editor.h"
#include "resources/EditorLayout.h"
#include "toolkit/UiScale.h"
#endif

namespace {
constexpr VstInt32 kNoCategory = 0;
} // namespace

// --- the editor hooks -------------------------------------------------------

#ifdef VELMORA_WITH_EDITOR
AEffEditor* NelAmbiEncEdit::createEditor()
{
    // The window names the output convention in its footer.
    const bool ambiX = outputConvention() == OutputConvention::AmbiX;
    return new NAE_editor(this,
                          ambiX ? EditorLayout::kAmbiXBackgroundBitmap : EditorLayout::kBackgroundBitmap);
}

void NelAmbiEncEdit::mirrorToEditor(VstInt32 index, float value)
{
    static_cast<NAE_editor*>(editor)->setParameter(index, value);
}

VstIntPtr NelAmbiEncEdit::passScaleRequest(VstInt32 index, VstIntPtr value, float factor)
{
    if (!editor || !UiScale::isHostRequest(index, value))
        return 0;
    return static_cast<NAE_editor*>(editor)->requestScale(factor) ? 1 : 0;
}
#else
AEffEditor* NelAmbiEncEdit::createEditor()
{
    return nullptr;
}

void NelAmbiEncEdit::mirrorToEditor(VstInt32, float) {}

VstIntPtr NelAmbiEncEdit::passScaleRequest(VstInt32, VstIntPtr, float)
{
    return 0;
}
#endif

// ----------------------------------------------------------------------------

NelAmbiEncEdit::NelAmbiEncEdit(audioMasterCallback hostCallback, const EffectIdentity& identity)
    : NelAmbiEnc(hostCallback, identity)
{
    if (AEffEditor* created = createEditor())
        setEditor(created);
    NelAmbiEnc::resume();
}

NelAmbiEncEdit::~NelAmbiEncEdit() = default;

void NelAmbiEncEdit::parameterApplied(VstInt32 index)
{
    // Called once the change is in effect, by whichever thread applied it:
    // the editor's next idle then reads what the effect really holds.
    if (editor != nullptr)
        mirrorToEditor(index, getParameter(index));
}

VstIntPtr NelAmbiEncEdit::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (passScaleRequest(index, value, opt))
        return 1;
    return NelAmbiEnc::vendorSpecific(index, value, ptr, opt);
}

VstInt32 NelAmbiEncEdit::getVendorVersion()
{
    return NelAmbiEnc::getVendorVersion();
}

VstInt32 NelAmbiEncEdit::getPlugCategory()
{
    return kNoCategory;
}
