#pragma once
// Dialog units turned into pixels: a unit is a quarter of the font's average character width across and an
// eighth of its height down, rounded to the nearest pixel. The arithmetic is free of Qt, so the layouts made
// from a template build and are tested in every lane; only ForFont measures a real font.
#include <algorithm>
#include <cmath>

class QFont;

namespace qv {

class DialogUnits {
public:
    // The font's average character width and its height in pixels; below 1 counts as 1.
    constexpr DialogUnits(int baseWidth, int baseHeight)
        : m_baseX(std::max(baseWidth, 1)), m_baseY(std::max(baseHeight, 1)) {}

    // The average advance of the 52 Latin letters, rounded half up, and the font's height.
    static DialogUnits ForFont(const QFont& font);

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }
    int X(int units) const { return static_cast<int>(std::lround(units * m_baseX / 4.0)); }
    int Y(int units) const { return static_cast<int>(std::lround(units * m_baseY / 8.0)); }

private:
    int m_baseX;
    int m_baseY;
};

} // namespace qv
