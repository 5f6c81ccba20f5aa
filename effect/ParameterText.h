#pragma once

// The value text of a parameter, made from the encoder's quantity behind it:
// whole degrees for the angles, metres with two decimals cut rather than
// rounded, "off" for the 4 m end of distance and compensation. The VST 2.x
// effect answers the host with it and the LV2 editor shows it, so both show
// the same text for the same value.
class ParameterText {
public:
    // `text` takes at most ParameterTable::kMaxValueTextLength characters and
    // a terminating zero; an index outside the table writes nothing.
    static void format(int index, float quantity, char* text);
};
