#pragma once
// Where every control of the viewer goes for a client area. The band at the top keeps the template's site
// and file lists, narrowed where the window is too small for Refresh beside them. Below it the day's
// histogram, then the filter row (the find box, its column scope, the event type and the hours; two rows
// when the window is narrow), then the list down to 40 pixels above the bottom edge, where OK stays centred
// 30 pixels above it, the count (or the progress bar) left of OK and Export at the right.
#include "ViewerRect.h"

namespace qv {

struct ViewerWindowLayout {
    // The template's places of the top band's controls for the window's font.
    struct Top {
        ViewerRect siteList;
        ViewerRect fileList;
        ViewerRect refresh;
    };

    ViewerRect siteList;
    ViewerRect fileList;
    ViewerRect refresh;
    ViewerRect histogram;
    ViewerRect find;
    ViewerRect scope;
    ViewerRect type;
    ViewerRect timeFrom;
    ViewerRect timeDash;
    ViewerRect timeTo;
    ViewerRect list;
    ViewerRect ok;
    ViewerRect count;
    ViewerRect progress;
    ViewerRect exportButton;

    // Below this width the filters take two rows.
    static constexpr int kOneRowWidth = 640;
    // rowHeight: what a drop-down list of the window's font needs.
    static ViewerWindowLayout ForClient(int width, int height, const Top& top, int rowHeight);
    // The client height that gives the list the template's height: the template's client height and the
    // bands added above the list.
    static int HeightForTemplate(int templateHeight, int width, int rowHeight);
};

} // namespace qv
