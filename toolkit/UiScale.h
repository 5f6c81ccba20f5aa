#pragma once

#include "plugin/AEffect.h"

#include <string>

// The factor by which the editor is drawn larger on high-density screens,
// and where it comes from. The first source that gives a usable value
// wins: the host's request (effVendorSpecific, see isHostRequest), the
// environment variable VELMORA_UI_SCALE, the desktop's density over 96
// dots per inch, GDK_SCALE; otherwise 1. A value that is not a positive
// finite number is ignored and the next source asked; a usable one outside
// 1..3 is clamped into it.
//
// The desktop's density is the X server's Xft.dpi resource on X11; on
// Windows, the DPI of the host's window the editor opens in (or of the
// system), and there is no GDK_SCALE. A build that carries its bitmaps
// drawn at build time for the factors of a fixed step (VELMORA_UI_SCALE_STEP)
// settles on the nearest of those.
class UiScale {
public:
    static constexpr double kMinimum = 1.0;
    static constexpr double kMaximum = 3.0;

    // What each source said; an empty text or a host request of 0 is no
    // answer. xftDpi, the desktop's density, is read only when nothing
    // before it answered.
    struct Sources {
        float hostRequest = 0.f;
        std::string environment;
        std::string (*xftDpi)() = nullptr;
        std::string gdkScale;
    };

    // The factor the sources give, by the order above.
    static double choose(const Sources& sources);
    // The factor for this process now: the host's request (0 for none),
    // then the environment and the window system's density.
    static double current(float hostRequest);

    // The host's window the editor is opening in (null once it closes):
    // the window whose density the Windows build asks. Any thread; the
    // editor's thread in practice.
    static void noteParentWindow(void* parent);
    static void* parentWindow();

    // A positive finite number, clamped to 1..3 (and settled on a step where
    // the build has one); false for anything else, including text that is
    // not wholly a number.
    static bool usable(double value, double& factor);
    static bool parse(const std::string& text, double& factor);

    // The request hosts send to VST 2.x plug-ins through effVendorSpecific
    // to set the editor's scale: index 'PreS', value 'AeCs', the factor in
    // opt.
    static bool isHostRequest(VstInt32 index, VstIntPtr value);
    static constexpr VstInt32 kHostRequestIndex = ('P' << 24) | ('r' << 16) | ('e' << 8) | 'S';
    static constexpr VstIntPtr kHostRequestValue = ('A' << 24) | ('e' << 16) | ('C' << 8) | 's';

    // The X server's Xft.dpi resource (as set with xrdb), or "" when there
    // is no server or no such resource (X11 builds).
    static std::string readXftDpi();
};
