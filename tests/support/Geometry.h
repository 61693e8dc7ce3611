// Rectangles as x, y, width, height, so a failing comparison reads like the layout tables.
#pragma once

#include <windows.h>

#include <ostream>

namespace zr::test {

struct Box {
    int x, y, width, height;
    bool operator==(const Box& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

inline Box BoxOf(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << b.x << ", " << b.y << ", " << b.width << " x " << b.height;
}

}  // namespace zr::test
