#include "dsp/AmbiLayout.h"

#include <stdexcept>
#include <string>

const AmbiLayout& AmbiLayout::of(AmbiOrder order)
{
    if (!isValidAmbiOrder(order))
        throw std::invalid_argument("AmbiOrder " + std::to_string(static_cast<int>(order)) +
                                    " is not a layout (expected 0 to 8)");
    return ambiLayout(order);
}
