#include "toolkit/AEffGUIEditor.h"

#include "plugin/AEffectX.h"
#include "plugin/AudioEffectX.h"
#include "toolkit/CFrame.h"
#include "toolkit/UiScale.h"

std::atomic<long> AEffGUIEditor::knobMode{0};

AEffGUIEditor::AEffGUIEditor(AudioEffect* e) : AEffEditor(e), rect{0, 0, 0, 0}
{
    if (effect)
        effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor()
{
    // A host may destroy the effect without closing the window first.
    delete frame;
    frame = nullptr;
    deleteRetiredFrames();
    // An editor whose construction failed half-way is destroyed here without
    // the effect knowing: the effect must not keep pointing at it.
    if (effect && effect->getEditor() == this)
        effect->setEditor(nullptr);
}

bool AEffGUIEditor::getRect(ERect** r)
{
    if (!r)
        return false;
    *r = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr)
{
    // The display scale a subclass settles next may depend on the density
    // of the screen the host's window is on.
    UiScale::noteParentWindow(ptr);
    return AEffEditor::open(ptr);
}

void AEffGUIEditor::close()
{
    if (UiScale::parentWindow() == parentWindow)
        UiScale::noteParentWindow(nullptr);
    AEffEditor::close();
}

void AEffGUIEditor::idle()
{
    // A host that calls its editor idle from inside audioMasterIdle (sent
    // while a control tracks the mouse) must not start a second pass.
    if (frameBusy)
        return;
    AEffEditor::idle();
    if (frame) {
        ++frameBusy;
        frame->idle();
        --frameBusy;
    }
    deleteRetiredFrames();
}

void AEffGUIEditor::setParameter(VstInt32, float) {}

bool AEffGUIEditor::setKnobMode(VstInt32 mode)
{
    knobMode = mode;
    return true;
}

void AEffGUIEditor::doIdleStuff()
{
    ++frameBusy;
    if (frame)
        frame->updateWhileTracking();
    if (effect)
        effect->masterIdle();
    if (frame)
        frame->syncAfterHostIdle();
    --frameBusy;
}

void AEffGUIEditor::beginEdit(long index)
{
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
        fx->beginEdit(VstInt32(index));
}

void AEffGUIEditor::endEdit(long index)
{
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
        fx->endEdit(VstInt32(index));
}

void AEffGUIEditor::destroyFrame()
{
    // The pointer goes first: a control's mouse loop that reaches the editor
    // from inside the host's idle callback finds the window gone.
    CFrame* old = frame;
    frame = nullptr;
    if (!old)
        return;
    if (frameBusy) {
        old->closeWindow();
        retiredFrames.push_back(old);
    } else {
        delete old;
    }
}

void AEffGUIEditor::deleteRetiredFrames()
{
    if (frameBusy)
        return;
    for (CFrame* f : retiredFrames)
        delete f;
    retiredFrames.clear();
}
