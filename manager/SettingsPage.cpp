#include "SettingsPage.h"

#include "manager/core/SettingsSession.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>

namespace qv {

SettingsPage::SettingsPage(SettingsSession& session, QWidget* parent) : QWidget(parent), m_session(session) {}

void SettingsPage::ValueEdited() {
    const std::vector<int> rows = m_session.ValueEdited();
    Q_EMIT rowsWritten(rows);
}

Qt::CheckState SettingsPage::CheckStateOf(std::int32_t value) {
    return value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked;
}

void SettingsPage::ToggleFlag(QCheckBox* box, std::int32_t& value) {
    value = value == 0 ? 1 : 0;
    box->setCheckState(CheckStateOf(value));
}

QString SettingsPage::FittedToolTip(const QString& text, const QFont& font) {
    if (text.isEmpty() || QFontMetrics(font).horizontalAdvance(text) <= kToolTipWidth)
        return text.toHtmlEscaped();
    // Rich text wraps inside a table of fixed width; plain text would not wrap at all.
    return QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
        .arg(kToolTipWidth)
        .arg(text.toHtmlEscaped());
}

bool SettingsPage::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QWidget* control = childAt(help->pos());
        const QString text = control ? ToolTipFor(control) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), FittedToolTip(text, QToolTip::font()), this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace qv
