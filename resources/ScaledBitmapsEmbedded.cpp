// ScaledBitmaps for a plug-in that cannot draw its bitmaps where it runs
// (the Windows build has no cairo): the same painter drew every factor the
// editor can settle on at build time, and they are embedded beside the
// factor-1 set. UiScale settles only on those factors (VELMORA_UI_SCALE_STEP),
// and the build draws a set for each.
#include "resources/ScaledBitmaps.h"

#include "toolkit/CBitmap.h"

CBitmap* ScaledBitmaps::create(long number, const ScaledLayout& layout)
{
    return new CBitmap(CResourceDescription(number), layout.factor());
}
