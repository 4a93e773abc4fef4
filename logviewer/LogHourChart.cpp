#include "LogHourChart.h"

#include "logviewer/parse/LogEventTypes.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <array>

namespace qv {

namespace {

constexpr int kHours = static_cast<int>(LogHourHistogram::kHours);
constexpr int kPad = 3;
constexpr int kSwatch = 8;

// Bottom to top: the handler's answers first, then the rules and the rest.
constexpr std::array<LogEventKind, kLogEventKindCount> kStackOrder = {
    LogEventKind::StaticFile,      LogEventKind::ImageFile,     LogEventKind::DynamicFile,
    LogEventKind::RedirectionRule, LogEventKind::RulesReloaded, LogEventKind::Other};

QString ShortName(LogEventKind kind) {
    const std::string_view name = LogEventTypes::ShortName(kind);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString Number(std::uint64_t value) {
    return QLocale().toString(static_cast<qulonglong>(value));
}

bool InsideMark(int hour, std::optional<int> from, std::optional<int> to) {
    if (!from || !to)
        return false;
    // A range over midnight marks both ends of the day.
    return *from <= *to ? hour >= *from && hour <= *to : hour >= *from || hour <= *to;
}

} // namespace

LogHourChart::LogHourChart(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Smaller print than the list's, in points or in pixels as the font is given.
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    else if (small.pixelSize() > 0)
        small.setPixelSize(std::max(1, small.pixelSize() * 85 / 100));
    setFont(small);
}

void LogHourChart::SetCounts(const LogHourHistogram& counts) {
    m_counts = counts;
    m_max = m_counts.MaxHourTotal();
    update();
}

void LogHourChart::Clear() {
    SetCounts(LogHourHistogram());
}

void LogHourChart::MarkHours(std::optional<int> from, std::optional<int> to) {
    m_markFrom = from;
    m_markTo = to;
    update();
}

QColor LogHourChart::KindColor(LogEventKind kind) {
    switch (kind) {
    case LogEventKind::StaticFile:
        return QColor(0x4e, 0x79, 0xa7);
    case LogEventKind::ImageFile:
        return QColor(0x59, 0xa1, 0x4f);
    case LogEventKind::DynamicFile:
        return QColor(0xf2, 0x8e, 0x2b);
    case LogEventKind::RedirectionRule:
        return QColor(0xb0, 0x7a, 0xa1);
    case LogEventKind::RulesReloaded:
        return QColor(0xe1, 0x57, 0x59);
    case LogEventKind::Other:
        break;
    }
    return QColor(0x9d, 0x9d, 0x9d);
}

int LogHourChart::LegendHeight() const {
    return fontMetrics().height() + 2;
}

int LogHourChart::AxisHeight() const {
    return fontMetrics().height();
}

QRect LogHourChart::Bars() const {
    const QRect inside = rect().adjusted(kPad, kPad + LegendHeight(), -kPad, -AxisHeight());
    // Whole pixels per hour, the rest left over at the right.
    const int perHour = std::max(1, inside.width() / kHours);
    return QRect(inside.left(), inside.top(), perHour * kHours, std::max(1, inside.height()));
}

std::optional<int> LogHourChart::HourAt(int x) const {
    const QRect bars = Bars();
    if (x < bars.left() || x > bars.right())
        return std::nullopt;
    return std::min(kHours - 1, (x - bars.left()) * kHours / bars.width());
}

QPoint LogHourChart::HourCenter(int hour) const {
    const QRect bars = Bars();
    const int perHour = bars.width() / kHours;
    return QPoint(bars.left() + hour * perHour + perHour / 2, bars.center().y());
}

QSize LogHourChart::sizeHint() const {
    return QSize(480, 72);
}

QSize LogHourChart::minimumSizeHint() const {
    return QSize(kHours * 4, LegendHeight() + AxisHeight() + 16);
}

void LogHourChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colors = palette();
    painter.fillRect(rect(), colors.color(QPalette::Base));
    painter.setPen(colors.color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect bars = Bars();
    const int perHour = bars.width() / kHours;
    const QFontMetrics metrics = fontMetrics();
    const QColor text = colors.color(QPalette::WindowText);
    const QColor faint = colors.color(QPalette::PlaceholderText);

    // The marked hours behind their bars.
    for (int hour = 0; hour < kHours; ++hour) {
        if (InsideMark(hour, m_markFrom, m_markTo)) {
            QColor mark = colors.color(QPalette::Highlight);
            mark.setAlpha(60);
            painter.fillRect(
                QRect(bars.left() + hour * perHour, bars.top(), perHour, bars.height() + 1 + AxisHeight()),
                mark);
        }
    }
    // The bars, one kind upon the other; a bar of any rows is at least a pixel high.
    const int gap = perHour >= 6 ? 1 : 0;
    for (int hour = 0; hour < kHours && m_max > 0; ++hour) {
        const std::uint64_t total = m_counts.HourTotal(static_cast<std::size_t>(hour));
        if (total == 0)
            continue;
        const int full =
            std::max(1, static_cast<int>(total * static_cast<std::uint64_t>(bars.height()) / m_max));
        int bottom = bars.bottom() + 1;
        std::uint64_t below = 0;
        for (const LogEventKind kind : kStackOrder) {
            const std::uint64_t count = m_counts.At(static_cast<std::size_t>(hour), kind);
            if (count == 0)
                continue;
            below += count;
            // Heights of the running sums, so that the pieces add up to the bar without rounding gaps.
            const int top =
                bars.bottom() + 1 - static_cast<int>(below * static_cast<std::uint64_t>(full) / total);
            painter.fillRect(QRect(bars.left() + hour * perHour + gap, top, perHour - 2 * gap, bottom - top),
                             KindColor(kind));
            bottom = top;
        }
    }
    painter.setPen(colors.color(QPalette::Mid));
    painter.drawLine(bars.left(), bars.bottom() + 1, bars.right(), bars.bottom() + 1);

    // The hours below, as many as there is room for.
    painter.setPen(faint);
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00")) + 6;
    int step = 1;
    while (step < kHours && perHour * step < labelWidth)
        step = step < 3 ? step + 1 : step * 2;
    for (int hour = 0; hour < kHours; hour += step) {
        const QRect label(bars.left() + hour * perHour, bars.bottom() + 2, perHour * step, AxisHeight());
        painter.drawText(label, Qt::AlignLeft | Qt::AlignTop, QString::number(hour));
    }

    // The scale at the left, the legend of the kinds that occur at the right, both in the top line.
    const QRect line(kPad + 1, kPad, width() - 2 * kPad - 2, LegendHeight());
    if (m_max == 0) {
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Rows per hour"));
        return;
    }
    painter.setPen(faint);
    const QString scale = QStringLiteral("%1 rows per hour at most").arg(Number(m_max));
    const QString shortScale = QStringLiteral("max %1/h").arg(Number(m_max));
    std::array<bool, kLogEventKindCount> present{};
    int legendWidth = 0;
    for (const LogEventKind kind : kStackOrder) {
        for (std::size_t hour = 0; hour < LogHourHistogram::kHours; ++hour)
            present[static_cast<std::size_t>(kind)] |= m_counts.At(hour, kind) > 0;
        if (present[static_cast<std::size_t>(kind)])
            legendWidth += kSwatch + 3 + metrics.horizontalAdvance(ShortName(kind)) + 8;
    }
    const int room = line.width() - legendWidth - 8;
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.horizontalAdvance(scale) <= room ? scale : shortScale);
    int x = line.right() - legendWidth + 8;
    for (const LogEventKind kind : kStackOrder) {
        if (!present[static_cast<std::size_t>(kind)])
            continue;
        const QRect swatch(x, line.center().y() - kSwatch / 2, kSwatch, kSwatch);
        painter.fillRect(swatch, KindColor(kind));
        x += kSwatch + 3;
        const QString name = ShortName(kind);
        painter.setPen(text);
        painter.drawText(QRect(x, line.top(), metrics.horizontalAdvance(name) + 1, line.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x += metrics.horizontalAdvance(name) + 8;
    }
}

void LogHourChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const auto hour = HourAt(event->position().toPoint().x())) {
            Q_EMIT hourClicked(*hour);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void LogHourChart::mouseMoveEvent(QMouseEvent* event) {
    const bool onBars = HourAt(event->position().toPoint().x()).has_value() && m_max > 0;
    setCursor(onBars ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

bool LogHourChart::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto hour = HourAt(help->pos().x());
    if (!hour) {
        QToolTip::hideText();
        return true;
    }
    const auto index = static_cast<std::size_t>(*hour);
    QString tip = QStringLiteral("%1:00–%1:59: %2 rows")
                      .arg(*hour, 2, 10, QLatin1Char('0'))
                      .arg(Number(m_counts.HourTotal(index)));
    for (const LogEventKind kind : kStackOrder) {
        if (const std::uint64_t count = m_counts.At(index, kind))
            tip += QStringLiteral("\n%1: %2").arg(ShortName(kind), Number(count));
    }
    tip += QStringLiteral("\nClick to show this hour");
    QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

} // namespace qv
