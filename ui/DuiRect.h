#pragma once
// Rectangle helpers over RECT, used for control positions and paint areas.

#include "platform/WinTypes.h"

namespace DuiLib
{
class CDuiRect : public RECT
{
public:
    CDuiRect() : RECT{0, 0, 0, 0} {}
    CDuiRect(const RECT& src) : RECT(src) {}
    CDuiRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty() { left = top = right = bottom = 0; }
    bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    void Offset(int cx, int cy);
    void Inflate(int cx, int cy);
    void Deflate(const RECT& by);
    // The common part; empty (and false) when they do not meet.
    bool Intersect(const RECT& other);
    void Union(const RECT& other);
    void Normalize();
};

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class CDuiSize : public SIZE
{
public:
    CDuiSize() : SIZE{0, 0} {}
    CDuiSize(const SIZE& src) : SIZE(src) {}
    CDuiSize(LONG x, LONG y) : SIZE{x, y} {}
};

class CDuiPoint : public POINT
{
public:
    CDuiPoint() : POINT{0, 0} {}
    CDuiPoint(const POINT& src) : POINT(src) {}
    CDuiPoint(LONG xPos, LONG yPos) : POINT{xPos, yPos} {}
    // A mouse message's lParam (signed client coordinates).
    explicit CDuiPoint(LPARAM lParam) : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)} {}
};
} // namespace DuiLib
