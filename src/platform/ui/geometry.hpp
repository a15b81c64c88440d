// Points, sizes and rectangles in pixels. Stands in for POINT, SIZE and RECT with the operations of
// their framework wrappers (OffsetRect, UnionRect, ...).
#pragma once

#include <algorithm>

namespace platform::ui {

struct CPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CPoint&) const = default;
};

struct CSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const CSize&) const = default;
};

// Right and bottom lie just outside the rectangle, as in RECT.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return {Width(), Height()}; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    void OffsetRect(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // The smallest rectangle holding both; an empty one does not count.
    void UnionRect(const CRect& a, const CRect& b) {
        if (a.IsRectEmpty()) {
            *this = b;
        } else if (b.IsRectEmpty()) {
            *this = a;
        } else {
            *this = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
        }
    }
    bool operator==(const CRect&) const = default;
};

}  // namespace platform::ui
