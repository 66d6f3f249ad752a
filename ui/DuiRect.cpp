#include "ui/DuiRect.h"

#include <algorithm>

namespace DuiLib
{
void CDuiRect::Offset(int cx, int cy)
{
    left += cx;
    right += cx;
    top += cy;
    bottom += cy;
}

void CDuiRect::Inflate(int cx, int cy)
{
    left -= cx;
    right += cx;
    top -= cy;
    bottom += cy;
}

void CDuiRect::Deflate(const RECT& by)
{
    left += by.left;
    top += by.top;
    right -= by.right;
    bottom -= by.bottom;
}

bool CDuiRect::Intersect(const RECT& other)
{
    left = std::max(left, other.left);
    top = std::max(top, other.top);
    right = std::min(right, other.right);
    bottom = std::min(bottom, other.bottom);
    if (IsEmpty())
    {
        Empty();
        return false;
    }
    return true;
}

void CDuiRect::Union(const RECT& other)
{
    if (CDuiRect(other).IsEmpty())
        return;
    if (IsEmpty())
    {
        *this = other;
        return;
    }
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
}

void CDuiRect::Normalize()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}
} // namespace DuiLib
