#include "toolkit/CParamDisplay.h"

#include "toolkit/CBitmap.h"

#include <cstdio>
#include <cstring>

// No display style changes how the text is drawn here, so the style is not kept.
CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long /*style*/)
    : CControl(size, nullptr, 0, background)
{
    // A display is not a control the mouse can change.
    bMouseEnabled = false;
}

void CParamDisplay::setStringConvert(StringConvert convert, void* data)
{
    stringConvert = convert;
    userData = data;
    setDirty();
}

void CParamDisplay::getText(char* text) const
{
    text[0] = 0;
    if (stringConvert)
        stringConvert(value, text, userData);
    else
        std::snprintf(text, kParamDisplayTextSize, "%2.2f", value);
    // A converter that forgot its terminator must not make us read on.
    text[kParamDisplayTextSize - 1] = 0;
}

void CParamDisplay::draw(CDrawContext* context)
{
    if (!bTransparencyEnabled) {
        if (pBackground) {
            pBackground->draw(context, size);
        } else {
            context->setFillColor(kBlackCColor);
            context->fillRect(size);
        }
    }
    char text[kParamDisplayTextSize];
    getText(text);
    context->setFont(fontID);
    context->setFontColor(fontColor);
    context->drawString(text, size, horiTxtAlign);
    setDirty(false);
}

bool CParamDisplay::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CParamDisplay") == 0 || CControl::isTypeOf(type);
}
