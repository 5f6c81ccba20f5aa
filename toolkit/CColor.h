#pragma once

struct CColor {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    unsigned char alpha = 255;

    bool operator==(const CColor& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }
};

inline CColor MakeCColor(unsigned char red, unsigned char green, unsigned char blue,
                         unsigned char alpha = 255)
{
    CColor c;
    c.red = red;
    c.green = green;
    c.blue = blue;
    c.alpha = alpha;
    return c;
}

const CColor kBlackCColor = MakeCColor(0, 0, 0);
const CColor kWhiteCColor = MakeCColor(255, 255, 255);
