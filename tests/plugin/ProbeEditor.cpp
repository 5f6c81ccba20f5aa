#include "tests/plugin/ProbeEditor.h"

#include "tests/plugin/ProbeEffect.h"

ProbeEditor::ProbeEditor(ProbeEffect* effect, audioMasterCallback hostCallback)
    : AEffEditor(effect), hostCallback(hostCallback), record(effect->getAeffect())
{
    effect->setEditor(this);
}

ProbeEditor::~ProbeEditor()
{
    report(probe::kEditorDestroyed);
}

bool ProbeEditor::getRect(ERect** rectOut)
{
    *rectOut = &rect;
    return true;
}

bool ProbeEditor::open(void* ptr)
{
    AEffEditor::open(ptr);
    report(probe::kEditorOpened);
    return true;
}

void ProbeEditor::close()
{
    AEffEditor::close();
    report(probe::kEditorClosed);
}

void ProbeEditor::idle()
{
    report(probe::kEditorIdle);
}

bool ProbeEditor::onKeyDown(VstKeyCode& key)
{
    report(probe::kKeyDown, probe::packKey(key.character, key.virt, key.modifier));
    return true;
}

bool ProbeEditor::onKeyUp(VstKeyCode& key)
{
    report(probe::kKeyUp, probe::packKey(key.character, key.virt, key.modifier));
    return false;
}

bool ProbeEditor::setKnobMode(VstInt32 mode)
{
    report(probe::kKnobMode, mode);
    return mode != 0;
}

void ProbeEditor::report(VstInt32 event, VstIntPtr argument)
{
    if (hostCallback)
        hostCallback(record, audioMasterVendorSpecific, event, argument, nullptr, 0.0f);
}
