#pragma once

// Window coordinates are whole pixels, as in the toolkit this layer mirrors.
typedef long CCoord;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;

    CPoint() = default;
    CPoint(CCoord x_, CCoord y_) : x(x_), y(y_) {}

    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};
