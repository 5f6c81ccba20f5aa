#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFont.h"

// A control that shows its value as one line of text. The text comes from
// a string-convert callback when one is set (it gets the value, a buffer of
// kParamDisplayTextSize bytes and the user data given with it), otherwise
// the value with two decimals.
class CParamDisplay : public CControl {
public:
    typedef void (*StringConvert)(float value, char* string, void* userData);
    static constexpr int kParamDisplayTextSize = 256;

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);
    CParamDisplay(const CParamDisplay& other) = default;

    void draw(CDrawContext* context) override;

    virtual void setFont(CFont val) { setAndMarkDirty(fontID, val); }
    CFont getFont() const { return fontID; }
    virtual void setFontColor(const CColor& color) { setAndMarkDirty(fontColor, color); }
    CColor getFontColor() const { return fontColor; }
    virtual void setHoriAlign(CHoriTxtAlign align) { setAndMarkDirty(horiTxtAlign, align); }

    virtual void setStringConvert(StringConvert convert, void* userData = nullptr);

    // The text the display shows for its current value.
    void getText(char* text) const;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CParamDisplay(*this); }

private:
    template <class T> void setAndMarkDirty(T& field, const T& v)
    {
        field = v;
        setDirty();
    }

    StringConvert stringConvert = nullptr;
    void* userData = nullptr;
    CHoriTxtAlign horiTxtAlign = kCenterText;
    CFont fontID = kNormalFont;
    CColor fontColor = kWhiteCColor;
};
