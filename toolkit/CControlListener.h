#pragma once

class CControl;

// Receives what the user does with a control.
class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // A click with a modifier; a non-zero answer means it was handled and
    // the control does nothing more with it.
    virtual long controlModifierClicked(CControl* /*control*/, long /*button*/) { return 0; }
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};
