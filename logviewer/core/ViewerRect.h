#pragma once
// A rectangle of the window in pixels: its left-top corner and its size. The window turns it into a QRect;
// the arithmetic that places controls stays free of Qt.
namespace qv {

struct ViewerRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // One past the last column and row inside.
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Intersects(const ViewerRect& other) const {
        return width > 0 && height > 0 && other.width > 0 && other.height > 0 && left < other.Right() &&
               other.left < Right() && top < other.Bottom() && other.top < Bottom();
    }
    bool operator==(const ViewerRect&) const = default;
};

} // namespace qv
