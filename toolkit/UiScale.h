#pragma once

#include "plugin/AEffect.h"

#include <string>

// The factor by which the editor is drawn larger on high-density screens,
// and where it comes from. The first source that gives a usable value
// wins: the host's request (effVendorSpecific, see isHostRequest), the
// environment variable VELMORA_UI_SCALE, the X server's Xft.dpi resource
// over 96, GDK_SCALE; otherwise 1. A value that is not a positive finite
// number is ignored and the next source asked; a usable one outside 1..3 is
// clamped into it.
class UiScale {
public:
    static constexpr double kMinimum = 1.0;
    static constexpr double kMaximum = 3.0;

    // What each source said; an empty text or a host request of 0 is no
    // answer. xftDpi is read only when nothing before it answered.
    struct Sources {
        float hostRequest = 0.f;
        std::string environment;
        std::string (*xftDpi)() = nullptr;
        std::string gdkScale;
    };

    // The factor the sources give, by the order above.
    static double choose(const Sources& sources);
    // The factor for this process now: the host's request (0 for none),
    // then the environment and the X server of $DISPLAY.
    static double current(float hostRequest);

    // A positive finite number, clamped to 1..3; false for anything else,
    // including text that is not wholly a number.
    static bool usable(double value, double& factor);
    static bool parse(const std::string& text, double& factor);

    // The request hosts send to VST 2.x plug-ins through effVendorSpecific
    // to set the editor's scale: index 'PreS', value 'AeCs', the factor in
    // opt.
    static bool isHostRequest(VstInt32 index, VstIntPtr value);
    static constexpr VstInt32 kHostRequestIndex = ('P' << 24) | ('r' << 16) | ('e' << 8) | 'S';
    static constexpr VstIntPtr kHostRequestValue = ('A' << 24) | ('e' << 16) | ('C' << 8) | 's';

    // The X server's Xft.dpi resource (as set with xrdb), or "" when there
    // is no server or no such resource.
    static std::string readXftDpi();
};
