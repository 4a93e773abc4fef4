#pragma once
// A day at a glance: the shown file's rows per hour as 24 bars, each stacked by event kind, with a small
// legend of the kinds that occur. Clicking a bar picks its hour; the hours of the time filter are marked.
#include "logviewer/parse/LogEventKind.h"
#include "logviewer/parse/LogHourHistogram.h"

#include <QColor>
#include <QWidget>

#include <optional>

namespace qv {

class LogHourChart : public QWidget {
    Q_OBJECT
public:
    explicit LogHourChart(QWidget* parent = nullptr);

    void SetCounts(const LogHourHistogram& counts);
    void Clear();
    const LogHourHistogram& Counts() const { return m_counts; }
    // Hours [from, to] are marked; none when the filter takes the whole day.
    void MarkHours(std::optional<int> from, std::optional<int> to);

    // The hour whose bar stands at x of the widget; none left or right of the bars.
    std::optional<int> HourAt(int x) const;
    // The middle of an hour's bar, where a click picks it.
    QPoint HourCenter(int hour) const;
    static QColor KindColor(LogEventKind kind);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void hourClicked(int hour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect Bars() const;
    int LegendHeight() const;
    int AxisHeight() const;

    LogHourHistogram m_counts;
    std::uint64_t m_max = 0;
    std::optional<int> m_markFrom;
    std::optional<int> m_markTo;
};

} // namespace qv
