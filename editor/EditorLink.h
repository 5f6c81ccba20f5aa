#pragma once

// What the editor needs of the plug-in it edits, whatever the plug-in format:
// each parameter's value and value text as the plug-in holds them now, the
// user's changes with the gestures around them, and a window of another size.
// A VST 2.x plug-in answers from its effect (EffectLink); an LV2 one through
// its ports.
//
// Every call comes on the thread that opens, idles and closes the editor.
class EditorLink {
public:
    virtual ~EditorLink() = default;

    // The parameter's normalised value (0..1) as the plug-in holds it now.
    virtual float parameter(int index) = 0;
    // The parameter's value text, at most 8 characters and a terminating zero.
    virtual void parameterText(int index, char* text) = 0;

    // A change the user made, in normalised terms, between the begin and the
    // end of the gesture that made it.
    virtual void beginGesture(int index) = 0;
    virtual void change(int index, float normalised) = 0;
    virtual void endGesture(int index) = 0;

    // Asks the host to give the open window this size; false when it will not.
    virtual bool resizeWindow(int width, int height) = 0;
};
