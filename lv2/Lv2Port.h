#pragma once

// One port of an LV2 plug-in, as its Turtle declares it and its code reads
// or writes it.
struct Lv2Port {
    enum class Kind { ControlIn, ControlOut, AudioIn, AudioOut };

    const char* symbol; // what presets and saved sessions name it by
    const char* name; // what a host shows
    Kind kind;
    // Control ports: the parameter index (ParameterTable) whose quantity the
    // port carries in user units; -1 for audio ports.
    int parameter;
    // Audio outputs: the ACN channel the output carries; -1 otherwise.
    int acn;
    // What a host may show beside it; null for none.
    const char* comment;
};
