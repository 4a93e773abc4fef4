#include "ApplyingWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include <limits>

namespace qv {

namespace {

constexpr qint64 kRepaintInterval = 40; // ms

} // namespace

ApplyingWindow::ApplyingWindow(std::size_t total, QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_total(total) {
    setObjectName(QStringLiteral("applyingWindow"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    for (const QString& text : {QStringLiteral("Applying settings..."), QStringLiteral("Please wait...")}) {
        auto* line = new QLabel(text, this);
        line->setAlignment(Qt::AlignCenter);
        layout->addWidget(line);
    }
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressApplying"));
    // The bar counts in ints; a store never holds more records than that.
    m_bar->setRange(0, static_cast<int>(std::min<std::size_t>(total, std::numeric_limits<int>::max())));
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    setFixedSize(sizeHint().expandedTo(QSize(280, 0)));
    if (const QScreen* screen = owner ? owner->screen() : QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    Repaint();
}

void ApplyingWindow::Advance() {
    ++m_done;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastRepaint >= kRepaintInterval || m_done == m_total)
        Repaint();
}

void ApplyingWindow::Repaint() {
    m_bar->setValue(
        static_cast<int>(std::min<std::size_t>(m_done, static_cast<std::size_t>(m_bar->maximum()))));
    m_lastRepaint = QDateTime::currentMSecsSinceEpoch();
    // Paints and timers only: a click or a key waits until the saving is over.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace qv
