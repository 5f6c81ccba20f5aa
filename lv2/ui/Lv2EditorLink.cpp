#include "lv2/ui/Lv2EditorLink.h"

#include "effect/ParameterTable.h"
#include "effect/ParameterText.h"

#include <cmath>

namespace {

using Info = Lv2PluginInfo;

// The parameter a control port carries (either plug-in: they share these).
int parameterOf(std::uint32_t port)
{
    return Info::fuma().port(port).parameter;
}

bool isPolarInput(std::uint32_t port)
{
    return port < Info::kPositionXPort;
}

bool isPositionOutput(std::uint32_t port)
{
    return port >= Info::kPositionXPort && port < Info::kInputPort;
}

// The ports a gesture on a parameter writes: the pad's x and y move the
// whole polar view, the others their own port.
bool gestureWrites(int index, std::uint32_t port)
{
    if (index == kX || index == kY || index == kZ)
        return port == Info::kAzimuthPort || port == Info::kElevationPort || port == Info::kDistancePort;
    return parameterOf(port) == index;
}

} // namespace

Lv2EditorLink::Lv2EditorLink(LV2UI_Write_Function write_, LV2UI_Controller controller_, const LV2UI_Touch* touch_)
    : write(write_), controller(controller_), touch(touch_), position(Order3H0V), rules(position, OutputConvention::FuMa)
{
    // Until the host says otherwise, the plug-in holds a new program.
    rules.applyNewProgram();
    for (std::uint32_t port = 0; port < Info::kPositionXPort; ++port)
        inputs[port] = rules.userValue(parameterOf(port));
}

int Lv2EditorLink::portEvent(std::uint32_t port, float value)
{
    if (!std::isfinite(value))
        return -1;
    if (isPolarInput(port)) {
        if (value == inputs[port])
            return -1;
        const int index = parameterOf(port);
        const float normalised = ParameterTable::normalisedFromUser(index, value);
        if (!ParameterTable::acceptsValue(normalised))
            return -1;
        inputs[port] = value;
        rules.setParameter(index, normalised);
        return index;
    }
    if (isPositionOutput(port)) {
        // Where the plug-in has the source: shown as it is.
        const int index = parameterOf(port);
        position.*ParameterTable::info(index).field = value;
        return index;
    }
    return -1;
}

float Lv2EditorLink::parameter(int index)
{
    return ParameterTable::isValidIndex(index) ? rules.normalised(index) : 0.f;
}

void Lv2EditorLink::parameterText(int index, char* text)
{
    text[0] = 0;
    if (ParameterTable::isValidIndex(index))
        ParameterText::format(index, rules.quantity(index), text);
}

void Lv2EditorLink::change(int index, float normalised)
{
    if (!ParameterTable::isValidIndex(index) || !ParameterTable::acceptsValue(normalised))
        return;
    rules.setParameter(index, normalised);
    for (std::uint32_t port = 0; port < Info::kPositionXPort; ++port)
        if (gestureWrites(index, port))
            writeInput(port);
}

// Writes the port's value from the position, when it differs from what the
// port holds.
void Lv2EditorLink::writeInput(std::uint32_t port)
{
    const float value = rules.userValue(parameterOf(port));
    if (value == inputs[port])
        return;
    inputs[port] = value;
    write(controller, port, sizeof value, 0, &value);
}

void Lv2EditorLink::beginGesture(int index)
{
    touchPorts(index, true);
}

void Lv2EditorLink::endGesture(int index)
{
    touchPorts(index, false);
}

void Lv2EditorLink::touchPorts(int index, bool grabbed)
{
    if (touch == nullptr || touch->touch == nullptr)
        return;
    for (std::uint32_t port = 0; port < Info::kPositionXPort; ++port)
        if (gestureWrites(index, port))
            touch->touch(touch->handle, port, grabbed);
}

bool Lv2EditorLink::resizeWindow(int, int)
{
    return false;
}
