#include "toolkit/UiScale.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

namespace {

// Desktops state their density as dots per inch; 96 is the size the
// editor was drawn for.
const double kDesignDpi = 96.0;

// The factors a build's bitmaps exist for: any (0), or every step of this
// size from 1 to 3, where they were drawn at build time.
#ifdef VELMORA_UI_SCALE_STEP
const double kStep = VELMORA_UI_SCALE_STEP;
#else
const double kStep = 0.0;
#endif

std::atomic<void*> openingParent{nullptr};

// The whole text as a number. Trailing blanks are tolerated (xrdb keeps
// them); anything else makes it no number.
bool number(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    while (*end == ' ' || *end == '\t')
        ++end;
    return end != text.c_str() && *end == 0;
}

} // namespace

bool UiScale::usable(double value, double& factor)
{
    if (!std::isfinite(value) || value <= 0.0)
        return false;
    factor = value < kMinimum ? kMinimum : value > kMaximum ? kMaximum : value;
    if (kStep > 0.0)
        factor = kMinimum + std::round((factor - kMinimum) / kStep) * kStep;
    return true;
}

bool UiScale::parse(const std::string& text, double& factor)
{
    double value = 0.0;
    return number(text, value) && usable(value, factor);
}

double UiScale::choose(const Sources& sources)
{
    double factor = kMinimum;
    if (usable(double(sources.hostRequest), factor) || parse(sources.environment, factor))
        return factor;
    double dpi = 0.0;
    if (sources.xftDpi && number(sources.xftDpi(), dpi) && usable(dpi / kDesignDpi, factor))
        return factor;
    if (parse(sources.gdkScale, factor))
        return factor;
    return kMinimum;
}

bool UiScale::isHostRequest(VstInt32 index, VstIntPtr value)
{
    return index == kHostRequestIndex && value == kHostRequestValue;
}

void UiScale::noteParentWindow(void* parent)
{
    openingParent.store(parent);
}

void* UiScale::parentWindow()
{
    return openingParent.load();
}
