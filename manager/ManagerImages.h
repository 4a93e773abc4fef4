#pragma once
// The Settings Manager's own pictures, drawn rather than loaded: the program icon, the site list's row
// images (blank and the green arrow, cut from one strip with white as no colour) and the banner's three
// pieces.
#include <QIcon>
#include <QPixmap>

namespace qv {

class ManagerImages {
public:
    static constexpr int kRowImageSize = 16;
    static constexpr int kBannerHeight = 48;

    static QIcon ProgramIcon();
    static QPixmap Blank();
    static QPixmap Arrow();
    // Left: the emblem and name; middle: the band that stretches; right: the closing ornament.
    static QPixmap BannerLeft();
    static QPixmap BannerMiddle();
    static QPixmap BannerRight();
};

} // namespace qv
