#include "DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace qv {

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return DialogUnits((metrics.horizontalAdvance(alphabet) / 26 + 1) / 2, metrics.height());
}

} // namespace qv
