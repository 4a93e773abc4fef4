#pragma once
// The Setup Wizard's own pictures, drawn rather than loaded: the program icon, the large picture behind the
// first and last pages, the banner across the top of the two middle pages, and the small picture of a web
// site in the site lists (white stands for no colour).
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace qv {

class WizardImages {
public:
    // The sizes the pages are drawn for; a page paints its picture scaled to its own size.
    static constexpr QSize kBackgroundSize{500, 314};
    static constexpr QSize kBannerSize{500, 63};
    static constexpr int kSiteImageSize = 16;
    // Width of the coloured band on the left of the large picture.
    static constexpr int kBandWidth = 176;

    static QIcon ProgramIcon();
    // Picture 132.
    static QPixmap Background();
    // Picture 129.
    static QPixmap Banner();
    // Picture 130.
    static QPixmap Site();
};

} // namespace qv
