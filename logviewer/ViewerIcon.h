#pragma once
// The viewer's window icon, drawn at the sizes the window system asks for (big and small).
#include <QIcon>

namespace qv {

class ViewerIcon {
public:
    static QIcon Make();
};

} // namespace qv
